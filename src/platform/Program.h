// Where the program lives. The program folder is the folder of the
// executable; files the client reads and writes beside itself (ini files,
// the hand history, photos, the plug-in) are found from it. Tests point it at
// a temporary folder.
#pragma once

#include <QString>

#include <optional>

namespace mj {

// The program folder, without a trailing '/'.
QString ProgramFolder();
// Replaces the program folder (tests); an empty path goes back to the real one.
void SetProgramFolder(const QString& path);

// The command line the program was started with, without the program's own
// name: the hall passes it as one argument; several arguments are joined
// with single blanks.
QString CommandLine();
// Replaces the command line (tests); SetCommandLine(std::nullopt) goes back.
void SetCommandLine(std::optional<QString> line);

} // namespace mj
