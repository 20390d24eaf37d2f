#include "video/frm_Remote1.h"

namespace mj {

frm_Remote1::frm_Remote1() : Form(QStringLiteral("frm_Remote1")), vshow1(*this, QStringLiteral("vshow1"))
{
    SetBorderless(true);
    vshow1.SetSetting1(true);
    vshow1.SetSetting0(true);
}

} // namespace mj
