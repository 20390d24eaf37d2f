#include "video/frm_Remote2.h"

namespace mj {

frm_Remote2::frm_Remote2() : Form(QStringLiteral("frm_Remote2"))
{
    SetBorderless(true);
}

} // namespace mj
