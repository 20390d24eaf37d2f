// The program's numbered resources. The pictures are generated at build time
// (tools/picgen) and embedded in the program; a lookup reads them from memory.
#pragma once

#include "platform/Picture.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace mj::Resources {

// The bytes of resource `id` of the given type ("GIF" holds GIF, PNG or JPEG
// data); nothing when the program has no such resource.
std::optional<QByteArray> Load(int id, const QString& type);
// Every resource id of a type, in increasing order.
QList<int> Ids(const QString& type);

// The pictures the windows carry in their own design (backgrounds, the window
// skin, marks and bubbles), by name: "Form" for a window's background, else
// "Form.Control" or "Form.Control(index)". They are not numbered resources:
// Load never returns them.
std::optional<QByteArray> LoadDesign(const QString& name);
// The design picture of that name, decoded; an empty picture when there is none.
Picture DesignPicture(const QString& name);
// Every design picture name, sorted.
QStringList DesignNames();

} // namespace mj::Resources
