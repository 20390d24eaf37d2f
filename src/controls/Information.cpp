#include "controls/Information.h"

namespace mj {

Information::Information() : Form(QStringLiteral("Information"))
{
    SetBorderless(true);
}

} // namespace mj
