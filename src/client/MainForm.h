// The table window. It holds the table picture Pic1 with every control of
// the table, the socket control and the main loop's timers. Its event
// procedures live in the files of the subsystems that own them.
#pragma once

#include "platform/Forms.h"
#include "platform/Winsock.h"

namespace mj {

class MainForm : public Form {
public:
    MainForm();
    ~MainForm() override;

    PictureBox Pic1; // the table, in pixels
    ControlArray<ListBox> Sysmsg; // the two system message lines
    Winsock Winsock1;

    // Puts a line into the two-line system message display: cut to 45
    // characters, into Sysmsg(0) while both are empty, into Sysmsg(1) while
    // only that one is empty; when both hold a line, the lines move up.
    void ShowSystemLine(const QString& text);

    // Socket events.
    void Winsock1_DataArrival(int32_t bytesTotal);
    void Winsock1_Close();
    // Moves waiting socket bytes into the receive ring, as far as it has room.
    void ReceiveFromSocket();
};

} // namespace mj
