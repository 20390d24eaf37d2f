#include "video/frm_Remote1.h"

namespace mj {

frm_Remote1::frm_Remote1() : Form(QStringLiteral("frm_Remote1"))
{
    SetBorderless(true);
}

} // namespace mj
