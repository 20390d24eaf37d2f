#include "controls/Score.h"

namespace mj {

// The settlement screens give the sheet its controls.
Score::Score() : Form(QStringLiteral("Score"))
{
    SetBorderless(true);
}

} // namespace mj
