#include "video/frm_Remote1.h"

namespace mj {

frm_Remote1::frm_Remote1() : VideoWindow(QStringLiteral("frm_Remote1"), 1) {}

} // namespace mj
