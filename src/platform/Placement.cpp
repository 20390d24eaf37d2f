#include "platform/Placement.h"

#include <QRectF>

#include <algorithm>

namespace mj {

void KeepInView(Control& control, const Control& other)
{
    const QRectF mine(control.Left(), control.Top(), control.Width(), control.Height());
    const QRectF theirs(other.Left(), other.Top(), other.Width(), other.Height());
    if (other.Visible() && mine.intersects(theirs))
        control.SetTop(other.Top() + other.Height());
    const Container& box = control.Parent();
    const double left = std::max(0.0, std::min(control.Left(), box.ScaleWidth() - control.Width()));
    const double top = std::max(0.0, std::min(control.Top(), box.ScaleHeight() - control.Height()));
    if (left != control.Left() || top != control.Top())
        control.Move(left, top);
}

} // namespace mj
