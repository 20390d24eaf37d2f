#include "video/frm_Remote2.h"

namespace mj {

frm_Remote2::frm_Remote2() : Form(QStringLiteral("frm_Remote2")), vshow1(*this, QStringLiteral("vshow1"))
{
    SetBorderless(true);
    vshow1.SetSetting1(true);
    vshow1.SetSetting0(true);
}

} // namespace mj
