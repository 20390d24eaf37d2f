// The hall's command line: fifteen fields, each ended by "$", or the watch
// line (five fields and the watched player's user id, with no "$" at the
// end).
#pragma once

#include <QString>

namespace mj {

inline bool AutoMode = false;
inline QString AutoCaption;

// What reading the line leaves for start-up beyond the shared variables.
struct CommandLineRest {
    QString Location;   // field 5, the room text
    bool HasLocation = false;
    QString Credential; // field 2, for the login frame
};

// Reads a trimmed, non-empty command line into the shared variables: the own
// name and account, the credential, the server and proxy settings, the auto
// mode, the hall title, the caption, the props switch and the plug-in value;
// sets WatchMode and, for a watch line, Players(0).UserId. A field that is
// never reached keeps its value. Raises a run-time error for a field that
// does not convert: a number field that is not a 16-bit number, a port
// outside 1 to 65535, a watched id that is not a number, an account longer
// than 16 bytes or a credential longer than 228 (they would overrun each
// other in the login frame), a proxy user name or password longer than 255
// bytes.
CommandLineRest ReadCommandLine(const QString& line);

} // namespace mj
