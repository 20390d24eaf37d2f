// A web panel on the table: shows a page loaded over HTTP. This first form
// keeps the address it was sent to and shows an empty panel; the page
// loading comes with the banner panels.
#pragma once

#include "platform/Controls.h"

namespace mj {

class WebBrowser : public Control {
public:
    WebBrowser(Container& parent, const QString& name);

    void Navigate(const QString& url);
    QString LocationURL() const { return url_; }

private:
    QString url_;
};

} // namespace mj
