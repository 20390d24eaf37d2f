#include "video/frm_Local.h"

namespace mj {

frm_Local::frm_Local() : VideoWindow(QStringLiteral("frm_Local"), 0) {}

} // namespace mj
