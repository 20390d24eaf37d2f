#include "table/General.h"

#include "client/Data.h"

namespace mj::General {

QPointF TableCentre()
{
    return QPointF(512.0 * ScaleX, 384.0 * ScaleY);
}

} // namespace mj::General
