#include "platform/Forms.h"

#include "platform/HostedWidget.h"

#include <QCloseEvent>
#include <QIcon>
#include <QMoveEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <typeindex>

namespace mj {

namespace detail {

// The top-level window of a form. Besides input it reports moves and resizes
// made by the window system, window state changes, and a close from the
// window's frame, which unloads the form.
class FormWidget : public HostedWidget<QWidget> {
public:
    FormWidget(Form* form, WidgetHost* host) : HostedWidget<QWidget>(host), form_(form) {}
    void Forget()
    {
        form_ = nullptr;
        Detach();
    }

protected:
    void moveEvent(QMoveEvent* e) override
    {
        QWidget::moveEvent(e);
        if (form_)
            form_->MoveFromWindow(pos());
    }
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        if (form_)
            form_->ResizeFromWindow(e->size());
    }
    void changeEvent(QEvent* e) override
    {
        QWidget::changeEvent(e);
        if (form_ && e->type() == QEvent::WindowStateChange)
            form_->WindowStateChanged();
    }
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (form_)
            UnloadForm(*form_);
    }

private:
    Form* form_;
};

namespace {

struct Entry {
    std::type_index type;
    std::unique_ptr<Form> form;
};

// Never destroyed: forms still loaded when the program exits are not torn
// down after the application object is gone.
std::vector<Entry>& registry()
{
    static auto* forms = new std::vector<Entry>;
    return *forms;
}

std::vector<Entry>::iterator findEntry(const Form& form)
{
    auto& r = registry();
    return std::find_if(r.begin(), r.end(), [&](const Entry& e) { return e.form.get() == &form; });
}

} // namespace

Form* FindForm(const std::type_info& type)
{
    for (const Entry& e : registry())
        if (e.type == std::type_index(type))
            return e.form.get();
    return nullptr;
}

void AddForm(const std::type_info& type, std::unique_ptr<Form> form)
{
    registry().push_back(Entry{std::type_index(type), std::move(form)});
}

void RunFormLoad(Form& form)
{
    form.Form_Load();
}

} // namespace detail

bool UnloadForm(Form& form)
{
    if (detail::findEntry(form) == detail::registry().end() || form.unloading_)
        return false;
    int16_t cancel = 0;
    form.unloading_ = true;
    try {
        form.Form_Unload(cancel);
    } catch (...) {
        form.unloading_ = false;
        throw;
    }
    form.unloading_ = false;
    if (cancel != 0)
        return false;
    const auto it = detail::findEntry(form);
    if (it == detail::registry().end())
        return true;
    std::unique_ptr<Form> owned = std::move(it->form);
    detail::registry().erase(it);
    owned->Dismantle();
    detail::DisposeLater(std::move(owned));
    return true;
}

std::vector<Form*> LoadedForms()
{
    std::vector<Form*> forms;
    for (const auto& e : detail::registry())
        forms.push_back(e.form.get());
    return forms;
}

void DiscardAllForms()
{
    std::vector<detail::Entry> forms = std::move(detail::registry());
    detail::registry().clear();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        it->form->Dismantle();
        it->form.reset();
    }
    detail::DisposeAllNow();
}

namespace {

[[noreturn]] void invalidValue()
{
    Raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

constexpr double PixelsPerTwip = 1.0 / 15.0;

} // namespace

// ---- Form ------------------------------------------------------------------

Form::Form(const QString& name, ScaleMode units) : Container(units), name_(name)
{
    widget_ = new detail::FormWidget(this, this);
    widget_->setObjectName(name);
    SetContainerWidget(widget_);
    ApplyGeometry();
}

Form::~Form()
{
    ForgetWidget();
    delete widget_.data();
}

void Form::ForgetWidget()
{
    if (widget_)
        static_cast<detail::FormWidget*>(widget_.data())->Forget();
}

void Form::SetCaption(const QString& value)
{
    caption_ = value;
    if (widget_)
        widget_->setWindowTitle(value);
}

void Form::ApplyGeometry()
{
    if (!widget_)
        return;
    const int x0 = detail::ToPixel(left_ * PixelsPerTwip);
    const int y0 = detail::ToPixel(top_ * PixelsPerTwip);
    const int x1 = detail::ToPixel((left_ + width_) * PixelsPerTwip);
    const int y1 = detail::ToPixel((top_ + height_) * PixelsPerTwip);
    expectedPosition_ = QPoint(x0, y0);
    expectedSize_ = QSize(std::max(0, x1 - x0), std::max(0, y1 - y0));
    widget_->move(expectedPosition_);
    widget_->resize(expectedSize_);
}

void Form::SetLeft(double value)
{
    Move(value);
}

void Form::SetTop(double value)
{
    Move(left_, value);
}

void Form::SetWidth(double value)
{
    Move(left_, top_, value);
}

void Form::SetHeight(double value)
{
    Move(left_, top_, width_, value);
}

void Form::Move(double left, std::optional<double> top, std::optional<double> width, std::optional<double> height)
{
    const bool resized = detail::MoveGeometry(left_, top_, width_, height_, left, top, width, height);
    ApplyGeometry();
    if (resized && Visible())
        Form_Resize();
}

double Form::ScaleWidth() const
{
    return width_ * PixelsPerTwip / PixelsPerUnit();
}

double Form::ScaleHeight() const
{
    return height_ * PixelsPerTwip / PixelsPerUnit();
}

void Form::ResizeFromWindow(QSize size)
{
    if (size == expectedSize_ || (widget_->windowState() & Qt::WindowMinimized))
        return;
    expectedSize_ = size;
    width_ = size.width() / PixelsPerTwip;
    height_ = size.height() / PixelsPerTwip;
    if (Visible())
        Form_Resize();
}

void Form::MoveFromWindow(QPoint position)
{
    if (position == expectedPosition_)
        return;
    expectedPosition_ = position;
    left_ = position.x() / PixelsPerTwip;
    top_ = position.y() / PixelsPerTwip;
}

void Form::WindowStateChanged()
{
    if (Visible())
        Form_Resize();
}

bool Form::Visible() const
{
    return widget_ && widget_->isVisible();
}

void Form::SetVisible(bool value)
{
    if (value)
        Show();
    else
        Hide();
}

void Form::Show()
{
    if (!widget_ || dismantled_)
        return;
    if (!widget_->isVisible())
        widget_->show();
    if (!shownOnce_) {
        shownOnce_ = true;
        Form_Resize();
    }
}

void Form::Hide()
{
    if (widget_)
        widget_->hide();
}

int16_t Form::WindowState() const
{
    const Qt::WindowStates s = widget_ ? widget_->windowState() : Qt::WindowNoState;
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void Form::SetWindowState(int16_t value)
{
    if (value < 0 || value > 2)
        invalidValue();
    if (!widget_)
        return;
    Qt::WindowStates s = widget_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (value == 1)
        s |= Qt::WindowMinimized;
    else if (value == 2)
        s |= Qt::WindowMaximized;
    widget_->setWindowState(s);
}

void Form::ChangeWindowFlag(Qt::WindowType flag, bool on)
{
    if (!widget_ || widget_->windowFlags().testFlag(flag) == on)
        return;
    if (QWindow* window = widget_->windowHandle()) {
        // A window that exists takes the new flags as it stands: setting
        // them on the widget would destroy it and map a new one, and the
        // player would see the window flash (the table window is brought to
        // the front this way each time it is restored).
        const Qt::WindowFlags flags = widget_->windowFlags().setFlag(flag, on);
        widget_->overrideWindowFlags(flags);
        window->setFlags(flags);
        return;
    }
    widget_->setWindowFlag(flag, on);
}

void Form::SetBorderless(bool value)
{
    borderless_ = value;
    ChangeWindowFlag(Qt::FramelessWindowHint, value);
}

void Form::SetWindowAlpha(int16_t alpha)
{
    if (alpha < 0 || alpha > 255)
        invalidValue();
    alpha_ = alpha;
    if (widget_)
        widget_->setWindowOpacity(alpha / 255.0);
}

void Form::SetTopMost(bool value)
{
    topMost_ = value;
    ChangeWindowFlag(Qt::WindowStaysOnTopHint, value);
    if (value && Visible())
        widget_->raise();
}

void Form::ZOrder(int16_t position)
{
    if (position != 0 && position != 1)
        Raise(ErrInvalidCall);
    if (!widget_)
        return;
    if (position == 0)
        widget_->raise();
    else
        widget_->lower();
}

void Form::StartDrag()
{
    ++dragsStarted_;
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (widget_ && widget_->windowHandle())
        widget_->windowHandle()->startSystemMove();
}

void Form::SetPicture(const mj::Picture& picture)
{
    picture_ = picture;
    ClearPainting();
    if (widget_)
        widget_->update();
}

void Form::SetIcon(const mj::Picture& picture)
{
    icon_ = picture;
    if (widget_)
        widget_->setWindowIcon(picture.IsNull() ? QIcon() : QIcon(QPixmap::fromImage(picture.Image())));
}

void Form::SetBackColor(int32_t value)
{
    backColor_ = value;
    if (widget_)
        widget_->update();
}

void Form::Refresh()
{
    if (Visible())
        widget_->repaint();
}

QImage Form::Grab() const
{
    if (!widget_)
        return QImage();
    return widget_->grab().toImage();
}

bool Form::SaveImage(const QString& path) const
{
    return Grab().save(path, "PNG");
}

bool Form::Unload()
{
    return UnloadForm(*this);
}

void Form::Dismantle()
{
    dismantled_ = true;
    for (Timer* timer : timers_)
        timer->Kill();
    ForgetWidget();
    if (widget_)
        widget_->hide();
}

double Form::MouseUnitsPerPixel() const
{
    return 1.0 / PixelsPerUnit();
}

void Form::HostMouseDown(int16_t button, int16_t shift, float x, float y)
{
    Form_MouseDown(button, shift, x, y);
}

void Form::HostMouseMove(int16_t button, int16_t shift, float x, float y)
{
    Form_MouseMove(button, shift, x, y);
}

void Form::HostMouseUp(int16_t button, int16_t shift, float x, float y)
{
    Form_MouseUp(button, shift, x, y);
}

void Form::HostClick()
{
    Form_Click();
}

void Form::HostDblClick()
{
    Form_DblClick();
}

void Form::HostKeyDown(int16_t& keyCode, int16_t shift)
{
    Form_KeyDown(keyCode, shift);
}

void Form::HostKeyPress(int16_t& keyAscii)
{
    Form_KeyPress(keyAscii);
}

void Form::HostKeyUp(int16_t& keyCode, int16_t shift)
{
    Form_KeyUp(keyCode, shift);
}

void Form::HostPaint(QPainter& painter)
{
    PaintSurface(painter, backColor_, picture_);
}

} // namespace mj
