#include "video/frm_Remote3.h"

namespace mj {

frm_Remote3::frm_Remote3() : VideoWindow(QStringLiteral("frm_Remote3"), 3) {}

} // namespace mj
