#include "platform/Controls.h"

#include "platform/Clock.h"
#include "platform/Forms.h"

#include <QCursor>
#include <QFontInfo>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QValidator>

#include <algorithm>
#include <functional>
#include <cmath>

namespace mj {

// ---- Helpers ---------------------------------------------------------------

QColor VbColor(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

int FontPixelSize(double points)
{
    if (!std::isfinite(points) || points <= 0)
        return 1;
    return std::max(1, static_cast<int>(std::floor(points * 96.0 / 72.0 + 0.5)));
}

QFont MakeFont(const QString& name, double points, bool bold)
{
    QFont font;
    // The face the program ships with covers Chinese when the named one is not installed.
    font.setFamilies({name, QStringLiteral("WenQuanYi Zen Hei")});
    font.setPixelSize(FontPixelSize(points));
    font.setBold(bold);
    return font;
}

std::vector<int> IndexRange(int first, int last)
{
    std::vector<int> indexes;
    for (int i = first; i <= last; ++i)
        indexes.push_back(i);
    return indexes;
}

namespace detail {

int ToPixel(double value)
{
    constexpr double limit = 16777215.0; // the largest widget coordinate Qt takes
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::floor(std::clamp(value, -limit, limit) + 0.5));
}

namespace {

// Holds an unloaded control or form until the event loop deletes it.
class Reaper : public QObject {
public:
    Reaper() { pending().push_back(this); }
    ~Reaper() override
    {
        auto& list = pending();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        control.reset();
        form.reset();
    }
    // Never destroyed, so what waits here at program exit is not a leak.
    static std::vector<Reaper*>& pending()
    {
        static auto* list = new std::vector<Reaper*>;
        return *list;
    }

    std::unique_ptr<Control> control;
    std::unique_ptr<Form> form;
};

} // namespace

void DisposeLater(std::unique_ptr<Control> control)
{
    auto* reaper = new Reaper;
    reaper->control = std::move(control);
    reaper->deleteLater();
}

void DisposeLater(std::unique_ptr<Form> form)
{
    auto* reaper = new Reaper;
    reaper->form = std::move(form);
    reaper->deleteLater();
}

void DisposeAllNow()
{
    while (!Reaper::pending().empty())
        delete Reaper::pending().back();
}

namespace {

void checkFinite(double value)
{
    if (!std::isfinite(value))
        Raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

void checkSize(double value)
{
    if (!std::isfinite(value) || value < 0)
        Raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

} // namespace

bool MoveGeometry(double& left, double& top, double& width, double& height, double newLeft,
                  std::optional<double> newTop, std::optional<double> newWidth, std::optional<double> newHeight)
{
    checkFinite(newLeft);
    if (newTop)
        checkFinite(*newTop);
    if (newWidth)
        checkSize(*newWidth);
    if (newHeight)
        checkSize(*newHeight);
    const bool resized = (newWidth && *newWidth != width) || (newHeight && *newHeight != height);
    left = newLeft;
    top = newTop.value_or(top);
    width = newWidth.value_or(width);
    height = newHeight.value_or(height);
    return resized;
}

} // namespace detail

namespace {

[[noreturn]] void invalidValue()
{
    Raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
}

} // namespace

// ---- Container -------------------------------------------------------------

Container::Container(ScaleMode units) : units_(units) {}

Container::~Container() = default;

QStringList Container::DrawingOrder() const
{
    QStringList names;
    for (const Control* c : children_)
        names.append(c->Name());
    return names;
}

void Container::Add(Control* control)
{
    children_.push_back(control);
    Restack(control, true);
}

void Container::Remove(Control* control)
{
    children_.erase(std::remove(children_.begin(), children_.end(), control), children_.end());
}

void Container::Restack(Control* control, bool toFront)
{
    Remove(control);
    const auto windowed = [](const Control* c) { return c->LayerOf() == Control::Layer::Windowed; };
    const auto firstWindowed = std::find_if(children_.begin(), children_.end(), windowed);
    QWidget* firstWindowedWidget = firstWindowed == children_.end() ? nullptr : (*firstWindowed)->Widget();
    QWidget* w = control->Widget();
    const bool isWindowed = windowed(control);

    if (!isWindowed && !toFront) {
        children_.insert(children_.begin(), control);
        if (w)
            w->lower();
    } else if (isWindowed && toFront) {
        children_.push_back(control);
        if (w)
            w->raise();
    } else {
        // Top of the windowless layer, or bottom of the windowed one: just
        // below the lowest windowed control.
        children_.insert(firstWindowed, control);
        if (w) {
            if (firstWindowedWidget)
                w->stackUnder(firstWindowedWidget);
            else
                w->raise();
        }
    }
}

void Container::PaintPicture(const mj::Picture& picture, double x1, double y1, std::optional<double> width1,
                             std::optional<double> height1, std::optional<double> x2, std::optional<double> y2,
                             std::optional<double> width2, std::optional<double> height2)
{
    if (picture.IsNull())
        Raise(ErrInvalidPicture);
    const double k = PixelsPerUnit();
    const QSizeF natural(picture.Size());
    const double values[] = {x1, y1, width1.value_or(0), height1.value_or(0), x2.value_or(0),
                             y2.value_or(0), width2.value_or(0), height2.value_or(0)};
    for (double v : values)
        detail::checkFinite(v);
    const QRectF target(x1 * k, y1 * k, width1 ? *width1 * k : natural.width(),
                        height1 ? *height1 * k : natural.height());
    const QRectF source(x2.value_or(0) * k, y2.value_or(0) * k, width2 ? *width2 * k : natural.width(),
                        height2 ? *height2 * k : natural.height());

    // The painted layer grows to cover the container and the target.
    QSize need = containerWidget_ ? containerWidget_->size() : QSize();
    need = need.expandedTo(QSize(detail::ToPixel(target.right()), detail::ToPixel(target.bottom())));
    need = need.boundedTo(QSize(4096, 4096));
    if (painted_.isNull() || painted_.width() < need.width() || painted_.height() < need.height()) {
        QImage grown(need.expandedTo(painted_.size()), QImage::Format_ARGB32_Premultiplied);
        grown.fill(Qt::transparent);
        if (!painted_.isNull()) {
            QPainter copy(&grown);
            copy.drawImage(0, 0, painted_);
        }
        painted_ = grown;
    }
    {
        QPainter painter(&painted_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture.Image(), source);
    }
    if (containerWidget_)
        containerWidget_->update();
}

void Container::PaintSurface(QPainter& painter, int32_t backColor, const mj::Picture& picture) const
{
    if (containerWidget_)
        painter.fillRect(containerWidget_->rect(), VbColor(backColor));
    if (!picture.IsNull())
        painter.drawImage(0, 0, picture.Image());
    if (!painted_.isNull())
        painter.drawImage(0, 0, painted_);
}

// ---- Control ---------------------------------------------------------------

Control::Control(Container& parent, const QString& name, Layer layer) : parent_(&parent), name_(name), layer_(layer)
{
}

Control::~Control()
{
    if (inContainer_)
        parent_->Remove(this);
    if (widget_) {
        if (link_)
            link_->Detach();
        delete widget_.data();
    }
}

void Control::AttachWidget(QWidget* widget)
{
    widget_ = widget;
    widget->setObjectName(Name());
    if (layer_ == Layer::Windowless)
        widget->setFocusPolicy(Qt::NoFocus);
    inContainer_ = true;
    parent_->Add(this);
    ApplyGeometry();
    AppearanceChanged();
    widget->setVisible(visible_);
}

QString Control::Name() const
{
    if (index_ < 0)
        return name_;
    return QStringLiteral("%1(%2)").arg(name_).arg(index_);
}

void Control::ApplyGeometry()
{
    if (!widget_)
        return;
    const double k = parent_->PixelsPerUnit();
    const int x0 = detail::ToPixel(left_ * k);
    const int y0 = detail::ToPixel(top_ * k);
    const int x1 = detail::ToPixel((left_ + width_) * k);
    const int y1 = detail::ToPixel((top_ + height_) * k);
    widget_->setGeometry(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

void Control::SetLeft(double value)
{
    Move(value);
}

void Control::SetTop(double value)
{
    Move(left_, value);
}

void Control::SetWidth(double value)
{
    Move(left_, top_, value);
}

void Control::SetHeight(double value)
{
    Move(left_, top_, width_, value);
}

void Control::Move(double left, std::optional<double> top, std::optional<double> width, std::optional<double> height)
{
    const bool changed = detail::MoveGeometry(left_, top_, width_, height_, left, top, width, height);
    ApplyGeometry();
    if (changed)
        SizeChanged();
}

void Control::SetSizeInternal(double width, double height)
{
    width_ = width;
    height_ = height;
    ApplyGeometry();
}

void Control::SetVisible(bool value)
{
    visible_ = value;
    if (widget_ && inContainer_)
        widget_->setVisible(value);
}

void Control::SetEnabled(bool value)
{
    enabled_ = value;
    if (widget_)
        widget_->setEnabled(value);
}

void Control::SetToolTipText(const QString& value)
{
    toolTip_ = value;
    if (widget_)
        widget_->setToolTip(value);
}

void Control::SetForeColor(int32_t value)
{
    foreColor_ = value;
    AppearanceChanged();
}

void Control::SetBackColor(int32_t value)
{
    backColor_ = value;
    AppearanceChanged();
}

void Control::SetFontName(const QString& value)
{
    fontName_ = value;
    AppearanceChanged();
}

void Control::SetFontSize(double points)
{
    if (!std::isfinite(points) || points <= 0 || points > 2048)
        invalidValue();
    fontSize_ = points;
    AppearanceChanged();
}

void Control::SetFontBold(bool value)
{
    fontBold_ = value;
    AppearanceChanged();
}

void Control::AppearanceChanged()
{
    if (!widget_)
        return;
    widget_->setFont(Font());
    widget_->update();
}

void Control::SetMousePointer(int16_t value)
{
    if (!((value >= 0 && value <= 15) || value == vbCustom))
        invalidValue();
    mousePointer_ = value;
    ApplyCursor();
}

void Control::SetMouseIcon(const mj::Picture& value)
{
    mouseIcon_ = value;
    ApplyCursor();
}

void Control::ApplyCursor()
{
    if (!widget_)
        return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (mousePointer_) {
    case vbDefault: widget_->unsetCursor(); return;
    case vbCustom:
        if (mouseIcon_.IsNull())
            widget_->unsetCursor();
        else
            widget_->setCursor(QCursor(QPixmap::fromImage(mouseIcon_.Image())));
        return;
    case vbCrosshair: shape = Qt::CrossCursor; break;
    case vbIbeam: shape = Qt::IBeamCursor; break;
    case vbSizePointer:
    case vbSizeAll: shape = Qt::SizeAllCursor; break;
    case 6: shape = Qt::SizeBDiagCursor; break;
    case vbSizeNS: shape = Qt::SizeVerCursor; break;
    case 8: shape = Qt::SizeFDiagCursor; break;
    case vbSizeWE: shape = Qt::SizeHorCursor; break;
    case 10: shape = Qt::UpArrowCursor; break;
    case vbHourglass: shape = Qt::WaitCursor; break;
    case vbNoDrop: shape = Qt::ForbiddenCursor; break;
    case 13: shape = Qt::BusyCursor; break;
    case 14: shape = Qt::WhatsThisCursor; break;
    default: shape = Qt::ArrowCursor; break;
    }
    widget_->setCursor(shape);
}

void Control::Refresh()
{
    if (widget_ && widget_->isVisible())
        widget_->repaint();
}

void Control::ZOrder(int16_t position)
{
    if (position != 0 && position != 1)
        Raise(ErrInvalidCall);
    if (inContainer_)
        parent_->Restack(this, position == 0);
}

void Control::SetFocus()
{
    if (!widget_ || !inContainer_ || !visible_ || !enabled_ || !widget_->isVisible() || !widget_->isEnabled()
        || widget_->focusPolicy() == Qt::NoFocus)
        Raise(ErrInvalidCall);
    widget_->window()->activateWindow();
    widget_->setFocus(Qt::OtherFocusReason);
}

void Control::TakeOut()
{
    if (inContainer_)
        parent_->Remove(this);
    inContainer_ = false;
    if (widget_) {
        if (link_)
            link_->Detach();
        widget_->hide();
    }
}

void Control::CopyPropertiesFrom(const Control& source)
{
    left_ = source.left_;
    top_ = source.top_;
    width_ = source.width_;
    height_ = source.height_;
    enabled_ = source.enabled_;
    toolTip_ = source.toolTip_;
    tag_ = source.tag_;
    foreColor_ = source.foreColor_;
    backColor_ = source.backColor_;
    fontName_ = source.fontName_;
    fontSize_ = source.fontSize_;
    fontBold_ = source.fontBold_;
    mousePointer_ = source.mousePointer_;
    mouseIcon_ = source.mouseIcon_;
    ApplyGeometry();
    AppearanceChanged();
    ApplyCursor();
    if (widget_) {
        widget_->setEnabled(enabled_);
        widget_->setToolTip(toolTip_);
    }
}

double Control::MouseUnitsPerPixel() const
{
    return 1.0 / parent_->PixelsPerUnit();
}

void Control::HostMouseDown(int16_t button, int16_t shift, float x, float y)
{
    if (OnMouseDown)
        OnMouseDown(button, shift, x, y);
}

void Control::HostMouseMove(int16_t button, int16_t shift, float x, float y)
{
    if (OnMouseMove)
        OnMouseMove(button, shift, x, y);
}

void Control::HostMouseUp(int16_t button, int16_t shift, float x, float y)
{
    if (OnMouseUp)
        OnMouseUp(button, shift, x, y);
}

void Control::HostClick()
{
    if (OnClick)
        OnClick();
}

void Control::HostDblClick()
{
    if (OnDblClick)
        OnDblClick();
}

void Control::HostKeyDown(int16_t& keyCode, int16_t shift)
{
    Form& form = parent_->OwnerForm();
    if (form.KeyPreview()) {
        form.Form_KeyDown(keyCode, shift);
        if (keyCode == 0 || !inContainer_)
            return;
    }
    if (OnKeyDown)
        OnKeyDown(keyCode, shift);
}

void Control::HostKeyPress(int16_t& keyAscii)
{
    Form& form = parent_->OwnerForm();
    if (form.KeyPreview()) {
        form.Form_KeyPress(keyAscii);
        if (keyAscii == 0 || !inContainer_)
            return;
    }
    if (OnKeyPress)
        OnKeyPress(keyAscii);
}

void Control::HostKeyUp(int16_t& keyCode, int16_t shift)
{
    Form& form = parent_->OwnerForm();
    if (form.KeyPreview()) {
        form.Form_KeyUp(keyCode, shift);
        if (keyCode == 0 || !inContainer_)
            return;
    }
    if (OnKeyUp)
        OnKeyUp(keyCode, shift);
}

void Control::HostGotFocus()
{
    if (OnGotFocus)
        OnGotFocus();
}

void Control::HostLostFocus()
{
    if (OnLostFocus)
        OnLostFocus();
}

// ---- PictureBox ------------------------------------------------------------

PictureBox::PictureBox(Container& parent, const QString& name, ScaleMode units)
    : Control(parent, name, Layer::Windowed), Container(units)
{
    auto* w = new detail::HostedWidget<QWidget>(this, parent.ContainerWidget());
    w->setFocusPolicy(Qt::StrongFocus);
    SetContainerWidget(w);
    Attach(w);
}

PictureBox::~PictureBox() = default;

void PictureBox::SetPicture(const mj::Picture& picture)
{
    picture_ = picture;
    ClearPainting();
    if (Widget())
        Widget()->update();
}

double PictureBox::ScaleWidth() const
{
    return Width() * Control::Parent().PixelsPerUnit() / PixelsPerUnit();
}

double PictureBox::ScaleHeight() const
{
    return Height() * Control::Parent().PixelsPerUnit() / PixelsPerUnit();
}

void PictureBox::CopyPropertiesFrom(const Control& source)
{
    picture_ = static_cast<const PictureBox&>(source).picture_;
    Control::CopyPropertiesFrom(source);
}

double PictureBox::MouseUnitsPerPixel() const
{
    return 1.0 / PixelsPerUnit();
}

void PictureBox::HostPaint(QPainter& painter)
{
    PaintSurface(painter, BackColor(), picture_);
}

// ---- Image -----------------------------------------------------------------

Image::Image(Container& parent, const QString& name) : Control(parent, name, Layer::Windowless)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

void Image::SetPicture(const mj::Picture& picture)
{
    // The same picture again (a blinking button set to the picture it shows)
    // needs no repaint.
    const bool unchanged = picture == picture_;
    picture_ = picture;
    if (!stretch_)
        FitToPicture();
    if (!unchanged && Widget())
        Widget()->update();
}

void Image::SetStretch(bool value)
{
    stretch_ = value;
    if (!stretch_)
        FitToPicture();
    if (Widget())
        Widget()->update();
}

void Image::FitToPicture()
{
    if (picture_.IsNull())
        return;
    const double k = Parent().PixelsPerUnit();
    SetSizeInternal(picture_.Size().width() / k, picture_.Size().height() / k);
}

void Image::CopyPropertiesFrom(const Control& source)
{
    const auto& image = static_cast<const Image&>(source);
    picture_ = image.picture_;
    stretch_ = image.stretch_;
    Control::CopyPropertiesFrom(source);
}

void Image::HostPaint(QPainter& painter)
{
    if (picture_.IsNull() || !Widget())
        return;
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(Widget()->rect(), picture_.Image());
    } else {
        painter.drawImage(0, 0, picture_.Image());
    }
}

// ---- Label -----------------------------------------------------------------

Label::Label(Container& parent, const QString& name) : Control(parent, name, Layer::Windowless)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

void Label::SetCaption(const QString& value)
{
    caption_ = value;
    FitToCaption();
    if (Widget())
        Widget()->update();
}

void Label::SetAlignment(int16_t value)
{
    if (value < vbLeftJustify || value > vbCenter)
        invalidValue();
    alignment_ = value;
    if (Widget())
        Widget()->update();
}

void Label::SetBackStyle(int16_t value)
{
    if (value != vbTransparent && value != vbOpaque)
        invalidValue();
    backStyle_ = value;
    if (Widget())
        Widget()->update();
}

void Label::SetWordWrap(bool value)
{
    wordWrap_ = value;
    FitToCaption();
}

void Label::SetAutoSize(bool value)
{
    autoSize_ = value;
    FitToCaption();
}

QString Label::DisplayText() const
{
    QString text = caption_;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

int Label::TextFlags() const
{
    int flags = Qt::AlignTop | Qt::TextWordWrap;
    switch (alignment_) {
    case vbRightJustify: flags |= Qt::AlignRight; break;
    case vbCenter: flags |= Qt::AlignHCenter; break;
    default: flags |= Qt::AlignLeft; break;
    }
    return flags;
}

void Label::FitToCaption()
{
    if (!autoSize_ || fitting_)
        return;
    fitting_ = true;
    const QFontMetrics metrics(Font());
    const double k = Parent().PixelsPerUnit();
    const QString text = DisplayText();
    constexpr int unbounded = 1 << 20;
    if (wordWrap_) {
        const int w = std::max(1, Widget() ? Widget()->width() : 1);
        const QRect r = metrics.boundingRect(QRect(0, 0, w, unbounded), TextFlags(), text);
        SetSizeInternal(Width(), std::max(r.height(), metrics.height()) / k);
    } else {
        const QRect r = metrics.boundingRect(QRect(0, 0, unbounded, unbounded), Qt::AlignLeft | Qt::AlignTop, text);
        SetSizeInternal(r.width() / k, std::max(r.height(), metrics.height()) / k);
    }
    fitting_ = false;
}

void Label::CopyPropertiesFrom(const Control& source)
{
    const auto& label = static_cast<const Label&>(source);
    caption_ = label.caption_;
    alignment_ = label.alignment_;
    backStyle_ = label.backStyle_;
    wordWrap_ = label.wordWrap_;
    autoSize_ = label.autoSize_;
    Control::CopyPropertiesFrom(source);
}

void Label::AppearanceChanged()
{
    Control::AppearanceChanged();
    FitToCaption();
}

void Label::SizeChanged()
{
    if (wordWrap_)
        FitToCaption();
}

void Label::HostPaint(QPainter& painter)
{
    if (!Widget())
        return;
    const QRect r = Widget()->rect();
    if (backStyle_ == vbOpaque)
        painter.fillRect(r, VbColor(BackColor()));
    painter.setFont(Font());
    painter.setPen(VbColor(ForeColor()));
    painter.drawText(r, TextFlags(), DisplayText());
}

// ---- ListBox ---------------------------------------------------------------

namespace {

// Runs an action whenever the widget it belongs to is shown. It is the
// widget's child, so it goes with the widget.
class ShowWatch : public QObject {
public:
    ShowWatch(QWidget* widget, std::function<void()> action) : QObject(widget), action_(std::move(action))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            action_();
        return false;
    }

private:
    std::function<void()> action_;
};

// Lines spaced by the font's size, as the system's list box spaces them,
// rather than by the shipped face's taller line height (16 pixels for a
// 12-pixel font): a list holds as many lines in its height as the form's
// design counts on, so the score sheet's columns show every line of a
// settlement. The glyphs of the shipped face stand in the top 13 pixels of
// a 12-pixel font's 16, so a line of 14 keeps them whole.
class FontSizedLines : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(QFontInfo(option.font).pixelSize() + 2);
        return size;
    }
};

} // namespace

ListBox::ListBox(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    auto* w = new detail::HostedWidget<QListWidget>(this, parent.ContainerWidget());
    list_ = w;
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list_->setUniformItemSizes(true);
    list_->setItemDelegate(new FontSizedLines(list_));
    list_->setTextElideMode(Qt::ElideNone); // a line too long is cut at the edge
    SetBackColor(0xFFFFFF);
    Attach(w);
    new ShowWatch(list_, [this] { scrollToPendingTop(); });
}

void ListBox::AddItem(const QString& item, std::optional<int> index)
{
    const int count = list_->count();
    if (index && (*index < 0 || *index > count))
        Raise(ErrInvalidCall);
    // A list line is a NUL-terminated string to the system's list box: text
    // after a NUL character is not part of it.
    const qsizetype nul = item.indexOf(QChar(0));
    list_->insertItem(index.value_or(count), nul >= 0 ? item.left(nul) : item);
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= list_->count())
        Raise(ErrInvalidCall);
    scrollToPendingTop();
    const bool wasSelected = ListIndex() == index;
    delete list_->takeItem(index);
    if (wasSelected)
        SetListIndex(-1);
}

void ListBox::Clear()
{
    pendingTop_ = -1;
    list_->clear();
}

int ListBox::ListCount() const
{
    return list_->count();
}

QString ListBox::List(int index) const
{
    const QListWidgetItem* item = index >= 0 ? list_->item(index) : nullptr;
    return item ? item->text() : QString();
}

int ListBox::ListIndex() const
{
    const QModelIndexList rows = list_->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListBox::SetListIndex(int index)
{
    if (index < -1 || index >= list_->count())
        invalidValue();
    if (index == -1) {
        list_->clearSelection();
        list_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else {
        list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
}

int ListBox::TopIndex() const
{
    scrollToPendingTop();
    if (list_->count() == 0)
        return 0;
    const QModelIndex top = list_->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void ListBox::SetTopIndex(int index)
{
    if (index < 0 || index >= std::max(1, list_->count()))
        invalidValue();
    if (list_->count() == 0)
        return;
    pendingTop_ = index;
    if (list_->isVisible())
        scrollToPendingTop();
}

void ListBox::scrollToPendingTop() const
{
    if (pendingTop_ < 0)
        return;
    const int index = std::min(pendingTop_, list_->count() - 1);
    pendingTop_ = -1;
    if (index < 0)
        return;
    list_->doItemsLayout();
    list_->scrollToItem(list_->item(index), QAbstractItemView::PositionAtTop);
}

void ListBox::AppearanceChanged()
{
    Control::AppearanceChanged();
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, VbColor(BackColor()));
    palette.setColor(QPalette::Window, VbColor(BackColor()));
    palette.setColor(QPalette::Text, VbColor(ForeColor()));
    list_->setPalette(palette);
}

// ---- TextBox ---------------------------------------------------------------

namespace {

// Refuses typing that would make the text longer than MaxLength; text set by
// the program may be longer and can still be shortened.
class MaxLengthValidator : public QValidator {
public:
    MaxLengthValidator(const int& maxLength, const int& lastLength, const bool& programmatic, QObject* parent)
        : QValidator(parent), maxLength_(maxLength), lastLength_(lastLength), programmatic_(programmatic)
    {
    }
    State validate(QString& input, int&) const override
    {
        if (!programmatic_ && maxLength_ > 0 && input.size() > maxLength_ && input.size() > lastLength_)
            return Invalid;
        return Acceptable;
    }

private:
    const int& maxLength_;
    const int& lastLength_;
    const bool& programmatic_;
};

} // namespace

TextBox::TextBox(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    auto* w = new detail::HostedWidget<QLineEdit>(this, parent.ContainerWidget());
    edit_ = w;
    edit_->setFrame(false);
    edit_->setMaxLength(32767);
    edit_->setValidator(new MaxLengthValidator(maxLength_, lastLength_, settingText_, edit_));
    QObject::connect(edit_, &QLineEdit::textChanged, edit_, [this](const QString& text) {
        lastLength_ = static_cast<int>(text.size());
        if (OnChange)
            OnChange();
    });
    SetBackColor(0xFFFFFF);
    Attach(w);
}

QString TextBox::Text() const
{
    return edit_->text();
}

void TextBox::SetText(const QString& value)
{
    if (value == edit_->text())
        return;
    settingText_ = true;
    edit_->setText(value);
    settingText_ = false;
}

int TextBox::SelStart() const
{
    return edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
}

void TextBox::SetSelStart(int value)
{
    if (value < 0)
        invalidValue();
    edit_->setCursorPosition(std::min(value, static_cast<int>(edit_->text().size())));
}

int TextBox::SelLength() const
{
    return edit_->selectionLength();
}

void TextBox::SetSelLength(int value)
{
    if (value < 0)
        invalidValue();
    const int start = SelStart();
    const int length = std::min(value, static_cast<int>(edit_->text().size()) - start);
    if (length <= 0)
        edit_->setCursorPosition(start);
    else
        edit_->setSelection(start, length);
}

void TextBox::SetLocked(bool value)
{
    locked_ = value;
    edit_->setReadOnly(value);
}

void TextBox::SetMaxLength(int value)
{
    if (value < 0)
        invalidValue();
    maxLength_ = value;
}

void TextBox::CopyPropertiesFrom(const Control& source)
{
    const auto& box = static_cast<const TextBox&>(source);
    SetLocked(box.locked_);
    maxLength_ = box.maxLength_;
    SetText(box.Text());
    Control::CopyPropertiesFrom(source);
}

void TextBox::AppearanceChanged()
{
    Control::AppearanceChanged();
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, VbColor(BackColor()));
    palette.setColor(QPalette::Text, VbColor(ForeColor()));
    edit_->setPalette(palette);
}

// ---- Timer -----------------------------------------------------------------

Timer::Timer(Form& owner, const QString& name) : owner_(&owner), name_(name)
{
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Fire(); });
    owner.timers_.push_back(this);
}

Timer::~Timer()
{
    auto& list = owner_->timers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void Timer::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    Update();
}

void Timer::SetInterval(int32_t milliseconds)
{
    if (milliseconds < 0 || milliseconds > 65535)
        invalidValue();
    interval_ = milliseconds;
    Update();
}

void Timer::Update()
{
    if (enabled_ && interval_ > 0 && !dead_)
        timer_.start(static_cast<int>(Clock::RealMilliseconds(interval_)));
    else
        timer_.stop();
}

void Timer::Kill()
{
    dead_ = true;
    timer_.stop();
}

void Timer::Fire()
{
    if (OnTimer)
        OnTimer();
}

} // namespace mj
