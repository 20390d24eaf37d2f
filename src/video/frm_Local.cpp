#include "video/frm_Local.h"

namespace mj {

frm_Local::frm_Local() : Form(QStringLiteral("frm_Local")), vshow1(*this, QStringLiteral("vshow1"))
{
    SetBorderless(true);
    vshow1.SetSetting1(true);
    vshow1.SetSetting0(true);
}

} // namespace mj
