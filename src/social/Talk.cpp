#include "social/Talk.h"

namespace mj {

Talk::Talk()
    : Form(QStringLiteral("Talk"))
    , Label1(*this, QStringLiteral("Label1"))
    , Text1(*this, QStringLiteral("Text1"))
{
    SetBorderless(true);
    Move(0, 0, 4800, 2700);
    Label1.Move(120, 0, 4575, 255);
    Label1.SetBackStyle(Label::vbTransparent);
    Text1.Move(120, 240, 4575, 2370);
}

} // namespace mj
