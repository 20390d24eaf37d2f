#include "platform/Video.h"

#include <QPainter>

namespace mj {

namespace {

// A surface of the video component, black until video is drawn on it.
void PaintBlack(QPainter& painter)
{
    painter.fillRect(painter.viewport(), Qt::black);
}

} // namespace

vshow::vshow(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

void vshow::CopyPropertiesFrom(const Control& source)
{
    setting1_ = static_cast<const vshow&>(source).setting1_;
    Control::CopyPropertiesFrom(source);
}

void vshow::HostPaint(QPainter& painter)
{
    PaintBlack(painter);
}

vcap::vcap(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

bool vcap::OpenDevice()
{
    ++openCalls_;
    deviceOpen_ = true;
    return true;
}

void vcap::CloseDevice()
{
    capturing_ = false;
    deviceOpen_ = false;
}

bool vcap::StartCapture()
{
    return false;
}

void vcap::StopCapture()
{
    capturing_ = false;
}

void vcap::HostPaint(QPainter& painter)
{
    PaintBlack(painter);
}

void P2PSocket::Login(const QString& name)
{
    loginName_ = name;
}

void P2PSocket::Logout()
{
    loginName_.clear();
}

void P2PSocket::DisconnectUser(int16_t)
{
    // No peer is ever connected in this form.
}

QString P2PSocket::UserID(int16_t) const
{
    return QString();
}

} // namespace mj
