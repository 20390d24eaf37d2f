#include "social/rule.h"

namespace mj {

rule::rule() : Form(QStringLiteral("rule"))
{
    SetBorderless(true);
}

} // namespace mj
