// The table client. The game hall starts it with one command line; the
// table window's load event brings everything up, and from then on the
// client runs in its event loop until a path ends the program.
#include "client/Api.h"
#include "client/MainForm.h"
#include "platform/Application.h"

int main(int argc, char** argv)
{
    mj::Application app(argc, argv);
    // A run-time error that no procedure handled brings the hall back and
    // ends the client, as every fatal path does.
    mj::SetUnhandledErrorAction([](const mj::RuntimeError&) {
        mj::Operate::RestoreHallWindow();
        mj::EndProgram(1);
    });
    mj::form<mj::MainForm>();
    return app.exec();
}
