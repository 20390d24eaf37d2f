// The table's centre.
#pragma once

#include <QPointF>

namespace mj::General {

// The centre of the table as drawn: (512 x ScaleX, 384 x ScaleY). The table
// picture may be larger than the drawn table (a screen small in one dimension
// only), so its size is not used.
QPointF TableCentre();

} // namespace mj::General
