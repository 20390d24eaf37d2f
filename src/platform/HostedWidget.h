// Internal to the forms and controls: the Qt widgets behind them report their
// input to the owning control or form, turned into the controls' events.
//
// Mouse: a press raises MouseDown; a release raises MouseUp and then, for the
// left button released inside the widget, Click; a double press raises
// DblClick in place of the second MouseDown and its release raises no Click.
// Keys: KeyDown, then KeyPress for keys that type a character, then the
// widget's own handling; a handler that sets the key code (or the character)
// to 0 swallows the key. Positions are reported in the units the host asks for.
// Every handled event is accepted, so it never reaches the parent widget a
// second time.
#pragma once

#include <QAbstractScrollArea>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace mj::detail {

// The mouse button, shift-state and key codes the controls' events carry.
int16_t VbButton(Qt::MouseButtons buttons);
int16_t VbShift(Qt::KeyboardModifiers modifiers);
// Virtual-key code of a key event; 0 for keys without one.
int16_t VbKeyCode(const QKeyEvent& event);
// The character a key types (Enter 13, Backspace 8, Esc 27); 0 for none.
int16_t VbKeyAscii(const QKeyEvent& event);

// What a hosted widget reports to. Implemented by Control and Form.
class WidgetHost {
public:
    virtual ~WidgetHost() = default;
    // Mouse positions are reported in these units per widget pixel.
    virtual double MouseUnitsPerPixel() const = 0;
    virtual void HostMouseDown(int16_t button, int16_t shift, float x, float y) = 0;
    virtual void HostMouseMove(int16_t button, int16_t shift, float x, float y) = 0;
    virtual void HostMouseUp(int16_t button, int16_t shift, float x, float y) = 0;
    virtual void HostClick() = 0;
    virtual void HostDblClick() = 0;
    virtual void HostKeyDown(int16_t& keyCode, int16_t shift) = 0;
    virtual void HostKeyPress(int16_t& keyAscii) = 0;
    virtual void HostKeyUp(int16_t& keyCode, int16_t shift) = 0;
    virtual void HostGotFocus() {}
    virtual void HostLostFocus() {}
    // Painting of plain widgets (pictures, images, labels, forms).
    virtual void HostPaint(QPainter& painter) { (void)painter; }
};

// The link from a widget to its host, cut when the host goes away.
class HostLink {
public:
    void Detach() { host_ = nullptr; }

protected:
    explicit HostLink(WidgetHost* host) : host_(host) {}
    ~HostLink() = default;
    WidgetHost* host_;
};

template <class Base>
class HostedWidget : public Base, public HostLink {
public:
    template <class... Args>
    explicit HostedWidget(WidgetHost* host, Args&&... args)
        : Base(std::forward<Args>(args)...), HostLink(host)
    {
        this->setMouseTracking(true);
        if constexpr (std::is_base_of_v<QAbstractScrollArea, Base>)
            this->viewport()->setMouseTracking(true);
    }

protected:
    static constexpr bool Plain = std::is_same_v<Base, QWidget>;

    void paintEvent(QPaintEvent* event) override
    {
        if constexpr (Plain) {
            if (host_) {
                QPainter painter(this);
                host_->HostPaint(painter);
            }
        } else {
            Base::paintEvent(event);
        }
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        // Native behaviour first: a list box selects the row before MouseDown.
        if constexpr (!Plain)
            Base::mousePressEvent(e);
        afterDoubleClick_ = false;
        if (host_) {
            const QPointF p = position(e);
            host_->HostMouseDown(VbButton(e->button()), VbShift(e->modifiers()), p.x(), p.y());
        }
        e->accept();
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        if constexpr (!Plain)
            Base::mouseMoveEvent(e);
        if (host_) {
            const QPointF p = position(e);
            host_->HostMouseMove(VbButton(e->buttons()), VbShift(e->modifiers()), p.x(), p.y());
        }
        e->accept();
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if constexpr (!Plain)
            Base::mouseReleaseEvent(e);
        const bool click = !afterDoubleClick_ && e->button() == Qt::LeftButton
            && this->rect().contains(e->position().toPoint() + viewportOffset());
        afterDoubleClick_ = false;
        if (host_) {
            const QPointF p = position(e);
            host_->HostMouseUp(VbButton(e->button()), VbShift(e->modifiers()), p.x(), p.y());
        }
        if (click && host_)
            host_->HostClick();
        e->accept();
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        if constexpr (!Plain)
            Base::mouseDoubleClickEvent(e);
        afterDoubleClick_ = true;
        if (host_ && e->button() == Qt::LeftButton)
            host_->HostDblClick();
        e->accept();
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        if (host_) {
            int16_t code = VbKeyCode(*e);
            if (code != 0) {
                host_->HostKeyDown(code, VbShift(e->modifiers()));
                if (code == 0 || !host_) {
                    e->accept();
                    return;
                }
            }
            int16_t ascii = VbKeyAscii(*e);
            if (ascii != 0) {
                host_->HostKeyPress(ascii);
                if (ascii == 0 || !host_) {
                    e->accept();
                    return;
                }
            }
        }
        if constexpr (!Plain)
            Base::keyPressEvent(e);
        e->accept();
    }

    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (host_) {
            int16_t code = VbKeyCode(*e);
            if (code != 0)
                host_->HostKeyUp(code, VbShift(e->modifiers()));
        }
        if constexpr (!Plain)
            Base::keyReleaseEvent(e);
        e->accept();
    }

    void focusInEvent(QFocusEvent* e) override
    {
        Base::focusInEvent(e);
        if (host_)
            host_->HostGotFocus();
    }

    void focusOutEvent(QFocusEvent* e) override
    {
        Base::focusOutEvent(e);
        if (host_)
            host_->HostLostFocus();
    }

private:
    // List boxes get their mouse events on the viewport inside the frame.
    QPoint viewportOffset() const
    {
        if constexpr (std::is_base_of_v<QAbstractScrollArea, Base>)
            return this->viewport()->pos();
        else
            return QPoint();
    }

    QPointF position(const QMouseEvent* e) const
    {
        const double k = host_ ? host_->MouseUnitsPerPixel() : 1.0;
        return (e->position() + QPointF(viewportOffset())) * k;
    }

    bool afterDoubleClick_ = false;
};

} // namespace mj::detail
