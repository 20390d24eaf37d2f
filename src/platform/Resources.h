// The program's numbered resources. The pictures are generated at build time
// (tools/picgen) and embedded in the program; a lookup reads them from memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mj::Resources {

// The bytes of resource `id` of the given type ("GIF" holds GIF, PNG or JPEG
// data); nothing when the program has no such resource.
std::optional<QByteArray> Load(int id, const QString& type);
// Every resource id of a type, in increasing order.
QList<int> Ids(const QString& type);

} // namespace mj::Resources
