#include "platform/HostedWidget.h"

namespace mj::detail {

int16_t VbButton(Qt::MouseButtons buttons)
{
    int16_t b = 0;
    if (buttons & Qt::LeftButton)
        b |= 1;
    if (buttons & Qt::RightButton)
        b |= 2;
    if (buttons & Qt::MiddleButton)
        b |= 4;
    return b;
}

int16_t VbShift(Qt::KeyboardModifiers modifiers)
{
    int16_t s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= 1;
    if (modifiers & Qt::ControlModifier)
        s |= 2;
    if (modifiers & Qt::AltModifier)
        s |= 4;
    return s;
}

int16_t VbKeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<int16_t>(65 + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (event.modifiers() & Qt::KeypadModifier)
            return static_cast<int16_t>(96 + (key - Qt::Key_0));
        return static_cast<int16_t>(48 + (key - Qt::Key_0));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<int16_t>(112 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    default: return 0;
    }
}

int16_t VbKeyAscii(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return 0;
    const char16_t c = text.at(0).unicode();
    if (c < 32 && !(event.modifiers() & Qt::ControlModifier))
        return 0;
    return static_cast<int16_t>(c);
}

} // namespace mj::detail
