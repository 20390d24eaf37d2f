#include "video/frm_Remote2.h"

namespace mj {

frm_Remote2::frm_Remote2() : VideoWindow(QStringLiteral("frm_Remote2"), 2) {}

} // namespace mj
