#include "video/frm_Remote3.h"

namespace mj {

frm_Remote3::frm_Remote3() : Form(QStringLiteral("frm_Remote3"))
{
    SetBorderless(true);
}

} // namespace mj
