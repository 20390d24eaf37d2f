// The chat word filter: fifteen words taken out of every incoming chat line.
// The first four are personal names that the deployment puts into
// filtchat.ini beside the program ([FiltChat], keys 1 to 4); the file is
// read on the first line filtered.
#pragma once

#include <QString>

namespace mj::FiltChat {

// The text with every occurrence of each word removed, word by word in the
// list's order. An empty name removes nothing.
QString FilterChat(QString text);

// Forgets the names read, so that the next line reads the file again.
void ResetState();

} // namespace mj::FiltChat
