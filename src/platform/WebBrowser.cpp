#include "platform/WebBrowser.h"

namespace mj {

WebBrowser::WebBrowser(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

void WebBrowser::Navigate(const QString& url)
{
    url_ = url;
}

} // namespace mj
