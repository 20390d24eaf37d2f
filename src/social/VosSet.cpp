#include "social/VosSet.h"

namespace mj {

VosSet::VosSet() : Form(QStringLiteral("VosSet"))
{
    SetBorderless(true);
}

} // namespace mj
