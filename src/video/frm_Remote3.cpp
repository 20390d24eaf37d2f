#include "video/frm_Remote3.h"

namespace mj {

frm_Remote3::frm_Remote3() : Form(QStringLiteral("frm_Remote3")), vshow1(*this, QStringLiteral("vshow1"))
{
    SetBorderless(true);
    vshow1.SetSetting1(true);
    vshow1.SetSetting0(true);
}

} // namespace mj
