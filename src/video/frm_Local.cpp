#include "video/frm_Local.h"

namespace mj {

frm_Local::frm_Local() : Form(QStringLiteral("frm_Local"))
{
    SetBorderless(true);
}

} // namespace mj
