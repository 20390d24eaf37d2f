// Where the program lives. The program folder is the folder of the
// executable; files the client reads and writes beside itself (ini files,
// the hand history, photos, the plug-in) are found from it. Tests point it at
// a temporary folder.
#pragma once

#include <QString>

namespace mj {

// The program folder, without a trailing '/'.
QString ProgramFolder();
// Replaces the program folder (tests); an empty path goes back to the real one.
void SetProgramFolder(const QString& path);

} // namespace mj
