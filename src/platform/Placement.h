// Keeping a control that is placed each time it is shown (a speech bubble)
// in view.
#pragma once

#include "platform/Controls.h"

namespace mj {

// First, when `other` shows and the control would cover part of it, the
// control moves down until its top meets the bottom of `other`. Then it
// moves the least that puts it whole inside its container's inner area; one
// larger than that area keeps its left or top edge at 0.
void KeepInView(Control& control, const Control& other);

} // namespace mj
