#include "social/huifu.h"

namespace mj {

huifu::huifu() : Form(QStringLiteral("huifu"))
{
    SetBorderless(true);
}

} // namespace mj
