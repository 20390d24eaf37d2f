// Set-up shared by the test programs: the table window as start-up leaves
// it, the test props plug-in in this process, mouse actions on widgets, and
// loopback servers for the web panels.
#pragma once

#include "TestSupport.h"

#include "../tools/testplugin/TestPlugin.h"

#include <QByteArray>
#include <QEvent>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTcpServer>

#include <initializer_list>
#include <map>

class QTcpSocket;
class QWidget;

namespace mj {
class Form;
class MainForm;
class frmReconnect;
} // namespace mj

namespace mjtest {

// ---- The table window ---------------------------------------------------------

// The table window without its load event, after start-up's picture tables
// for `scale` and both layout passes.
mj::MainForm& LaidOutTable(float scale);

// Runs start-up's own fit of the window to a screen of width x height
// pixels: the window and table picture sizes, the layout scale, and below
// 1024 x 768 the 800 x 600 table painted into the table picture.
void FitTableToScreen(mj::MainForm& f, int width, int height);

// The shown controls of the table picture whose top left corner lies
// outside it: none on a table laid out at the scale of its window.
QStringList ControlsOutsideTheWindow(mj::MainForm& table);

// The table window's picture with the small windows `over` drawn where they
// stand over it, at their transparency.
QImage GrabWithWindowsOver(mj::MainForm& table, std::initializer_list<mj::Form*> over);

// The table window as start-up leaves it, minus the connection: the clock
// driven from 10:00, the hall looked for under `hallTitle`. Without a
// screen size it keeps its design size at full scale; with one it is first
// fitted to that screen and then laid out at the scale the screen gives, in
// start-up's order (a table laid out at one scale and fitted to a screen of
// the other afterwards is never seen by a player).
mj::MainForm& OpenTableWindow(const QString& hallTitle, QSize screen = {});

// The main loop and the keep-alive run only when a test calls their timer
// procedures.
void LeaveTimersToTest(mj::MainForm& w);

// The reconnection form, loaded with its timers left to the test.
mj::frmReconnect& LoadReconnectForm();

// ---- The test props plug-in -----------------------------------------------------

// The build folder's test plug-in (libTesmora.so) in this process.
class TestPlugin {
public:
    // False when the library or one of its functions could not be had.
    explicit operator bool() const { return load_ && log_; }
    // Adds script directives; 0, or the number of the first line it could not read.
    int Load(const char* script) const { return load_(script); }
    // Every call logged so far, one a line.
    QString Log() const { return QString::fromUtf8(log_()); }

private:
    friend TestPlugin LoadTestPlugin();
    MjTestPluginLoad load_ = nullptr;
    MjTestPluginLog log_ = nullptr;
};

// Loads the test plug-in with its script and log forgotten, and installs an
// object from its factory as the props object (Prop_GameDllState = 1).
TestPlugin LoadTestPlugin();

// ---- Mouse ------------------------------------------------------------------------

// Sends one mouse event at `at` (in the widget's own coordinates); a press or
// a double click holds `button`, other events hold none.
void SendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton);
// In the middle of the widget: a move with no button held, a left press, a
// left release.
void Hover(QWidget* widget);
void Press(QWidget* widget);
void Release(QWidget* widget);
// A press and a release: with the left button in the middle, or as told.
void Click(QWidget* widget);
void Click(QWidget* widget, QPointF at, Qt::MouseButton button = Qt::LeftButton);

// ---- Loopback servers -----------------------------------------------------------

// A loopback port that nothing listens on (it was free a moment ago).
int FreePort();

// A web server on a loopback port: it answers each request by its path (404
// with a page for a path it does not know), closes the connection, and notes
// every path asked for.
class PageServer {
public:
    struct Page {
        QByteArray status = "200 OK";
        QByteArray body;
        QByteArray extraHeaders;
    };

    PageServer();
    QString Url(const QString& path) const;

    std::map<QByteArray, Page> pages;
    QList<QByteArray> requested;

private:
    void answer(QTcpSocket* socket);

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
};

} // namespace mjtest
