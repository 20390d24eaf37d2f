// The table client. The game hall starts it with one command line; the
// table window's load event brings everything up, and from then on the
// client runs in its event loop until a path ends the program.
#include "client/Api.h"
#include "client/MainForm.h"
#include "platform/Application.h"
#include "platform/Screen.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace {

// For demonstrations without a display: with MJ_SCREENSHOT_DIR set, the
// table window is saved as table-<width>x<height>.png in that folder a few
// seconds after start-up (MJ_SCREENSHOT_DELAY_MS, default 3000).
void scheduleScreenshot()
{
    const QString dir = qEnvironmentVariable("MJ_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("MJ_SCREENSHOT_DELAY_MS", &ok);
    if (!ok || delay < 0)
        delay = 3000;
    QTimer::singleShot(delay, [dir] {
        if (!mj::isLoaded<mj::MainForm>())
            return;
        QDir().mkpath(dir);
        const QString name = QStringLiteral("table-%1x%2.png").arg(mj::Screen::WidthPixels()).arg(mj::Screen::HeightPixels());
        // Written aside and then renamed, so a watcher never sees half a file.
        const QString path = QDir(dir).filePath(name);
        const QString part = path + QStringLiteral(".part");
        QFile::remove(part);
        if (mj::form<mj::MainForm>().SaveImage(part)) {
            QFile::remove(path);
            QFile::rename(part, path);
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    mj::Application app(argc, argv);
    // A run-time error that no procedure handled brings the hall back and
    // ends the client, as every fatal path does.
    mj::SetUnhandledErrorAction([](const mj::RuntimeError&) {
        mj::Operate::RestoreHallWindow();
        mj::EndProgram(1);
    });
    scheduleScreenshot();
    mj::form<mj::MainForm>();
    return app.exec();
}
