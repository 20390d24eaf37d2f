// The chat word filter.
#pragma once

#include <QString>

namespace mj::FiltChat {

// The text with each of the filter's words removed.
QString FilterChat(QString text);

} // namespace mj::FiltChat
