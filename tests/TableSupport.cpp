#include "TableSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/frmReconnect.h"
#include "platform/Clock.h"
#include "platform/PropPlugin.h"
#include "platform/Screen.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QLibrary>
#include <QMouseEvent>
#include <QPainter>
#include <QTcpSocket>
#include <QWidget>

#include <gtest/gtest.h>

namespace mjtest {

mj::MainForm& LaidOutTable(float scale)
{
    mj::ScaleX = mj::ScaleY = scale;
    mj::Image_Resource::InitPictureIds();
    mj::MainForm& w = mj::formWithoutLoadEvent<mj::MainForm>();
    mj::NewGame::InitTableLayout();
    mj::NewGame::InitTableLayoutAndCamera();
    return w;
}

QStringList ControlsOutsideTheWindow(mj::MainForm& table)
{
    QStringList outside;
    const mj::Container& box = table.Pic1;
    for (const mj::Control* c : box.Controls())
        if (c->Visible() && (c->Left() >= box.ScaleWidth() || c->Top() >= box.ScaleHeight()))
            outside << c->Name();
    return outside;
}

QImage GrabWithWindowsOver(mj::MainForm& table, std::initializer_list<mj::Form*> over)
{
    QImage shot = table.Grab();
    QPainter painter(&shot);
    for (mj::Form* f : over) {
        const QPoint at(qRound((f->Left() - table.Left()) / 15), qRound((f->Top() - table.Top()) / 15));
        painter.setOpacity(f->WindowAlpha() / 255.0);
        painter.drawImage(at, f->Grab());
    }
    return shot;
}

void FitTableToScreen(mj::MainForm& f, int width, int height)
{
    mj::Screen::SetSize(width, height);
    f.FitToScreen();
}

mj::MainForm& OpenTableWindow(const QString& hallTitle, QSize screen)
{
    mj::Clock::UseDrivenClock(10 * 3600.0);
    mj::HallTitle = hallTitle;
    if (screen.isEmpty())
        return LaidOutTable(1.0f);
    mj::Image_Resource::InitPictureIds();
    mj::MainForm& w = mj::formWithoutLoadEvent<mj::MainForm>();
    FitTableToScreen(w, screen.width(), screen.height());
    mj::NewGame::InitTableLayout();
    mj::NewGame::InitTableLayoutAndCamera();
    return w;
}

void LeaveTimersToTest(mj::MainForm& w)
{
    w.TimerBong.OnTimer = nullptr;
    w.TimerKeepAlive.OnTimer = nullptr;
}

mj::frmReconnect& LoadReconnectForm()
{
    mj::frmReconnect& f = mj::form<mj::frmReconnect>();
    f.TimerReconnect.OnTimer = nullptr;
    f.TimerCount.OnTimer = nullptr;
    return f;
}

TestPlugin LoadTestPlugin()
{
    QLibrary lib(QStringLiteral(MJ_BUILD_DIR "/plugin/tools/libTesmora.so"));
    if (!lib.load())
        return {};
    auto load = reinterpret_cast<MjTestPluginLoad>(lib.resolve(MjTestPluginLoadName));
    auto reset = reinterpret_cast<MjTestPluginReset>(lib.resolve(MjTestPluginResetName));
    auto log = reinterpret_cast<MjTestPluginLog>(lib.resolve(MjTestPluginLogName));
    auto create = reinterpret_cast<mj::TesmoraFactory>(lib.resolve(mj::TesmoraEntryPoint));
    if (!load || !reset || !log || !create)
        return {};
    reset();
    mj::Mod_Prop::PropObj.reset(create(mj::TesmoraInterfaceVersion));
    mj::Mod_Prop::Prop_GameDllState = 1;
    TestPlugin plugin;
    plugin.load_ = load;
    plugin.log_ = log;
    return plugin;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button)
{
    ASSERT_NE(widget, nullptr);
    const bool held = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    QMouseEvent e(type, at, widget->mapToGlobal(at), button, held ? Qt::MouseButtons(button) : Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &e);
}

namespace {

QPointF middle(const QWidget* widget)
{
    return widget ? QPointF(widget->width() / 2.0, widget->height() / 2.0) : QPointF();
}

} // namespace

void Hover(QWidget* widget)
{
    SendMouse(widget, QEvent::MouseMove, middle(widget), Qt::NoButton);
}

void Press(QWidget* widget)
{
    SendMouse(widget, QEvent::MouseButtonPress, middle(widget));
}

void Release(QWidget* widget)
{
    SendMouse(widget, QEvent::MouseButtonRelease, middle(widget));
}

void Click(QWidget* widget)
{
    Click(widget, middle(widget));
}

void Click(QWidget* widget, QPointF at, Qt::MouseButton button)
{
    SendMouse(widget, QEvent::MouseButtonPress, at, button);
    SendMouse(widget, QEvent::MouseButtonRelease, at, button);
}

int FreePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

PageServer::PageServer()
{
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection())
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
    });
}

QString PageServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void PageServer::answer(QTcpSocket* socket)
{
    QByteArray& request = buffers_[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n"))
        return;
    const QByteArray path = request.split(' ').value(1);
    requested.append(path);
    auto it = pages.find(path);
    const Page page = it != pages.end() ? it->second : Page{"404 Not Found", "<html><body>not here</body></html>", {}};
    socket->write("HTTP/1.1 " + page.status + "\r\nContent-Type: text/html\r\n" + page.extraHeaders
                  + "Content-Length: " + QByteArray::number(page.body.size()) + "\r\nConnection: close\r\n\r\n"
                  + page.body);
    socket->disconnectFromHost();
    buffers_.erase(socket);
}

} // namespace mjtest
