// The table client. The game hall starts it with one command line; the
// table window's load event brings everything up, and from then on the
// client runs in its event loop until a path ends the program.
#include "client/Api.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "controls/Score.h"
#include "platform/Application.h"
#include "platform/Screen.h"
#include "social/Mod_Prop.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <memory>

namespace {

// For demonstrations without a display: with MJ_SCREENSHOT_DIR set, the
// table window is saved as table-<width>x<height>.png in that folder a few
// seconds after start-up (MJ_SCREENSHOT_DELAY_MS, default 3000).
// Saves the table window as <name>.png in `dir`, written aside and then
// renamed, so a watcher never sees half a file.
void saveTable(const QString& dir, const QString& name, mj::Form* over = nullptr)
{
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    mj::MainForm& table = mj::form<mj::MainForm>();
    QImage shot = table.Grab();
    if (over) {
        // A small window over the table, where it stands, at its transparency.
        QPainter painter(&shot);
        painter.setOpacity(over->WindowAlpha() / 255.0);
        painter.drawImage(QPoint(qRound((over->Left() - table.Left()) / 15), qRound((over->Top() - table.Top()) / 15)),
                          over->Grab());
    }
    if (shot.save(part, "PNG")) {
        QFile::remove(path);
        QFile::rename(part, path);
    }
}

// With MJ_SCREENSHOT_MOMENTS as well (names from the list below, separated
// by commas), the table is saved as table-<width>x<height>-<name>.png the
// first time each moment of a hand is seen, looking every 50 ms while the
// event loop runs, instead of once after the delay.
struct Moment {
    const char* name;
    bool (*seen)();
    mj::Form* (*over)() = nullptr; // a small window drawn over the table
};
const Moment Moments[] = {
    // Every hand dealt: thirteen tiles or more in each.
    {"dealt",
     [] {
         for (int side = 0; side <= 3; ++side)
             if (mj::custom[side].sum < 13)
                 return false;
         return mj::RoundNo > 0;
     }},
    // Claim buttons offered to the player, with the turn clock.
    {"offer",
     [] {
         mj::MainForm& f = mj::form<mj::MainForm>();
         return f.Time_Img.Visible() && f.Operation(4).Visible() && mj::ClaimButtonState[4] == 2;
     }},
    // A follow-the-dealer bubble.
    {"bubble",
     [] {
         mj::MainForm& f = mj::form<mj::MainForm>();
         for (int i = 0; i <= 2; ++i)
             if (f.tsSpeak(i).Visible())
                 return true;
         return false;
     }},
    // Another seat's first claimed meld.
    {"meld",
     [] {
         for (int side = 1; side <= 3; ++side)
             if (mj::custom[side].MeldEnd > 4)
                 return true;
         return false;
     }},
    // The hand is over and the hands are shown: the first look after its
    // first score, as a rule before the settlement sheet and the countdown
    // to the next hand come (a few frames later).
    {"shown", [] { return mj::RoundNo > 0 && !mj::HandInPlay; }},
    // The settlement sheet over the table.
    {"settled", [] { return mj::RoundNo > 0 && mj::isLoaded<mj::Score>() && mj::form<mj::Score>().Visible(); },
     [] { return static_cast<mj::Form*>(&mj::form<mj::Score>()); }},
    // A label of the props plug-in on the table.
    {"proplabel",
     [] {
         const mj::Label& label = mj::form<mj::MainForm>().LbProp;
         return label.Visible() && !label.Caption().isEmpty() && !mj::Mod_Prop::BoxRoadOn;
     }},
    // The treasure boxes with their countdown, and the award count.
    {"boxes", [] { return mj::Mod_Prop::BoxCountdownOn; }},
    {"count", [] { return mj::Mod_Prop::BoxAnimOn && mj::Mod_Prop::BoxStep >= 3; }},
};

bool watchMoments(const QString& dir)
{
    const QStringList wanted = qEnvironmentVariable("MJ_SCREENSHOT_MOMENTS").split(u',', Qt::SkipEmptyParts);
    if (wanted.isEmpty())
        return false;
    auto* timer = new QTimer(qApp);
    auto taken = std::make_shared<QStringList>();
    QObject::connect(timer, &QTimer::timeout, [dir, wanted, taken] {
        if (!mj::isLoaded<mj::MainForm>())
            return;
        for (const Moment& m : Moments) {
            const QString name = QString::fromLatin1(m.name);
            if (!wanted.contains(name) || taken->contains(name))
                continue;
            try {
                if (!m.seen())
                    continue;
            } catch (const mj::RuntimeError&) {
                continue; // a control not made yet: not this moment
            }
            taken->append(name);
            saveTable(dir, QStringLiteral("table-%1x%2-%3")
                               .arg(mj::Screen::WidthPixels())
                               .arg(mj::Screen::HeightPixels())
                               .arg(name),
                      m.over ? m.over() : nullptr);
        }
    });
    timer->start(50);
    return true;
}

void scheduleScreenshot()
{
    const QString dir = qEnvironmentVariable("MJ_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    if (watchMoments(dir))
        return;
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("MJ_SCREENSHOT_DELAY_MS", &ok);
    if (!ok || delay < 0)
        delay = 3000;
    QTimer::singleShot(delay, [dir] {
        if (!mj::isLoaded<mj::MainForm>())
            return;
        saveTable(dir, QStringLiteral("table-%1x%2").arg(mj::Screen::WidthPixels()).arg(mj::Screen::HeightPixels()));
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
