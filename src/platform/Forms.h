// Forms: the client's windows. A concrete form is a subclass of Form that
// holds its controls as members, sets their design values in its constructor
// and overrides the event procedures it has (Form_Load, Form_Resize, ...).
//
// Forms are reached through form<T>(), which loads the form on first use: it
// constructs it and runs Form_Load, without showing it.
// So reading a control of a form that is not loaded loads it. unload<T>()
// runs Form_Unload and takes the form away; the next form<T>() loads a fresh
// one. The C++ object itself is deleted once control is back in the event
// loop, so an event procedure may unload its own form and finish.
//
// A form's place and size are screen twips (15 to a pixel) and read back
// exactly what was written. They describe the window's client area: the
// client's windows are borderless, and a frame's size is the window
// system's business on Linux.
//
// Resize is raised when the form is first shown, when its size changes while
// it is shown, and when its window state changes (minimised, restored,
// maximised).
#pragma once

#include "platform/Controls.h"

#include <QImage>
#include <QPointer>
#include <QString>

#include <memory>
#include <typeinfo>
#include <vector>

namespace mj {

namespace detail {
class FormWidget;
}

class Form : public Container, protected detail::WidgetHost {
public:
    explicit Form(const QString& name, ScaleMode units = ScaleMode::Twips);
    ~Form() override;

    QString Name() const { return name_; }
    QWidget* Widget() const { return widget_; }

    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);

    // Screen twips.
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void SetLeft(double value);
    void SetTop(double value);
    // A negative size raises error 380.
    void SetWidth(double value);
    void SetHeight(double value);
    void Move(double left, std::optional<double> top = {}, std::optional<double> width = {},
              std::optional<double> height = {});
    // The inner size in the form's own units.
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    Form& OwnerForm() override { return *this; }

    bool Visible() const;
    void SetVisible(bool value);
    // Shows the window, not modal.
    void Show();
    void Hide();
    // 0 normal, 1 minimised, 2 maximised; other values raise error 380.
    int16_t WindowState() const;
    void SetWindowState(int16_t value);
    // A window without the system's frame and title bar.
    bool Borderless() const { return borderless_; }
    void SetBorderless(bool value);
    // Window opacity, 0 (invisible) to 255 (opaque); else error 380. The
    // small windows are made see-through only on Windows NT 5 and 6, so on
    // this system every form keeps 255 and the table never shows through
    // the text of a dialog.
    int16_t WindowAlpha() const { return alpha_; }
    void SetWindowAlpha(int16_t alpha);
    // Kept above the other windows.
    bool TopMost() const { return topMost_; }
    void SetTopMost(bool value);
    // 0: in front of the other windows; 1: behind them.
    void ZOrder(int16_t position = 0);
    // Lets the window system move the window with the mouse until the
    // button is released (a press on a borderless window's own surface).
    // Counted, since a window system may refuse: DragsStarted().
    void StartDrag();
    int DragsStarted() const { return dragsStarted_; }

    // Background picture, at its natural size in the top-left corner.
    const mj::Picture& Picture() const { return picture_; }
    // Replaces the picture and clears what PaintPicture left.
    void SetPicture(const mj::Picture& picture);
    const mj::Picture& Icon() const { return icon_; }
    void SetIcon(const mj::Picture& picture);
    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t value);
    // When set, the form's key events run before those of the control that
    // has the focus.
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    void Refresh();

    // The window as it looks now (for tests and screenshots).
    QImage Grab() const;
    // Saves Grab() as a PNG file; false when it cannot be written.
    bool SaveImage(const QString& path) const;

    // Unloads this form ("Unload Me"); false when Form_Unload cancelled.
    bool Unload();

    // Event procedures; a subclass overrides those it has.
    virtual void Form_Load() {}
    // Setting `cancel` to a non-zero value keeps the form loaded.
    virtual void Form_Unload(int16_t& cancel) { (void)cancel; }
    virtual void Form_Resize() {}
    virtual void Form_Click() {}
    virtual void Form_DblClick() {}
    virtual void Form_MouseDown(int16_t button, int16_t shift, float x, float y) { (void)button, (void)shift, (void)x, (void)y; }
    virtual void Form_MouseMove(int16_t button, int16_t shift, float x, float y) { (void)button, (void)shift, (void)x, (void)y; }
    virtual void Form_MouseUp(int16_t button, int16_t shift, float x, float y) { (void)button, (void)shift, (void)x, (void)y; }
    virtual void Form_KeyDown(int16_t& keyCode, int16_t shift) { (void)keyCode, (void)shift; }
    virtual void Form_KeyPress(int16_t& keyAscii) { (void)keyAscii; }
    virtual void Form_KeyUp(int16_t& keyCode, int16_t shift) { (void)keyCode, (void)shift; }

protected:
    double MouseUnitsPerPixel() const override;
    void HostMouseDown(int16_t button, int16_t shift, float x, float y) override;
    void HostMouseMove(int16_t button, int16_t shift, float x, float y) override;
    void HostMouseUp(int16_t button, int16_t shift, float x, float y) override;
    void HostClick() override;
    void HostDblClick() override;
    void HostKeyDown(int16_t& keyCode, int16_t shift) override;
    void HostKeyPress(int16_t& keyAscii) override;
    void HostKeyUp(int16_t& keyCode, int16_t shift) override;
    void HostPaint(QPainter& painter) override;

private:
    friend class Timer;
    friend class detail::FormWidget;
    friend bool UnloadForm(Form& form);
    friend void DiscardAllForms();
    void ForgetWidget();

    void ApplyGeometry();
    void ChangeWindowFlag(Qt::WindowType flag, bool on);
    void ResizeFromWindow(QSize size);
    void MoveFromWindow(QPoint position);
    void WindowStateChanged();
    // Taken away by an unload: hidden, timers stopped, no more events.
    void Dismantle();

    QString name_;
    QPointer<QWidget> widget_; // a detail::FormWidget
    QString caption_;
    double left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    QSize expectedSize_;
    QPoint expectedPosition_;
    bool shownOnce_ = false;
    bool borderless_ = false;
    bool topMost_ = false;
    int16_t alpha_ = 255;
    mj::Picture picture_;
    mj::Picture icon_;
    int32_t backColor_ = 0xF0F0F0;
    bool keyPreview_ = false;
    bool unloading_ = false;
    bool dismantled_ = false;
    int dragsStarted_ = 0;
    std::vector<Timer*> timers_;
};

// Unloads a loaded form; false when it was not loaded or Form_Unload cancelled.
bool UnloadForm(Form& form);
// The loaded forms, in the order they were loaded.
std::vector<Form*> LoadedForms();
// Destroys every form at once, loaded or waiting to be deleted, without
// running Form_Unload: for a fresh start between tests.
void DiscardAllForms();

namespace detail {
Form* FindForm(const std::type_info& type);
void AddForm(const std::type_info& type, std::unique_ptr<Form> form);
void RunFormLoad(Form& form);
// Deletes an unloaded form once control is back in the event loop.
void DisposeLater(std::unique_ptr<Form> form);
// Deletes every control and form waiting for DisposeLater, now.
void DisposeAllNow();
} // namespace detail

// The loaded form T, loading it first (constructor, then Form_Load) when it
// is not loaded. Loading does not show it.
template <class T>
T& form()
{
    static_assert(std::is_base_of_v<Form, T>, "form<T>() takes a form class");
    if (Form* loaded = detail::FindForm(typeid(T)))
        return static_cast<T&>(*loaded);
    auto created = std::make_unique<T>();
    T& ref = *created;
    detail::AddForm(typeid(T), std::move(created));
    detail::RunFormLoad(ref);
    return ref;
}

// Loads form T without running its Form_Load, for tests that drive one part
// of a window without bringing the whole program up. A loaded T is returned
// as it is.
template <class T>
T& formWithoutLoadEvent()
{
    static_assert(std::is_base_of_v<Form, T>, "formWithoutLoadEvent<T>() takes a form class");
    if (Form* loaded = detail::FindForm(typeid(T)))
        return static_cast<T&>(*loaded);
    auto created = std::make_unique<T>();
    T& ref = *created;
    detail::AddForm(typeid(T), std::move(created));
    return ref;
}

// Unloads form T when it is loaded: runs Form_Unload and takes it away.
template <class T>
void unload()
{
    if (Form* loaded = detail::FindForm(typeid(T)))
        UnloadForm(*loaded);
}

template <class T>
bool isLoaded()
{
    return detail::FindForm(typeid(T)) != nullptr;
}

} // namespace mj
