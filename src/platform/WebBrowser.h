// A web panel on the table: a page loaded over HTTP and drawn by a real
// browser engine (Qt WebEngine, Chromium inside).
//
// The engine is expensive to start (OpenGL, helper processes, a renderer), so
// it lives in a module the first navigation loads (platform/WebEngine.h), and
// a panel makes its engine view only when it is first sent to an address;
// until then it is an empty panel, and a program that never navigates never
// loads the engine. Without the module every navigation is an error.
//
// What a panel does and does not do:
// - Only http and https addresses are loaded. Any other address is not
//   navigated at all and is reported as a navigation error; a page cannot
//   lead the panel to another kind of address either.
// - No context menu, no new windows (links and scripts that would open one
//   open nothing), no downloads (a download is cancelled at once).
// - Pages share one private profile that keeps nothing on disk.
//
// Events, raised from the event loop once a navigation ends:
// - loaded: OnDownloadComplete, then OnDocumentComplete;
// - failed (no connection, an HTTP status of 400 or more, a refused
//   address): OnNavigateError, then OnDownloadComplete;
// - stopped (replaced by a later navigation, or turned into a download):
//   OnDownloadComplete only.
//
// The engine must be released before the application object goes away; the
// panels do that themselves through AddShutdownRoutine (Application.h). As
// root, Chromium cannot run its sandbox and would end the whole process, so
// there the engine is started only when the environment has switched the
// sandbox off (QTWEBENGINE_DISABLE_SANDBOX, or --no-sandbox in
// QTWEBENGINE_CHROMIUM_FLAGS); otherwise every navigation is an error.
#pragma once

#include "platform/Controls.h"

#include <functional>
#include <memory>

namespace mj {

namespace web {
class PanelView;
}

class WebBrowser : public Control {
public:
    WebBrowser(Container& parent, const QString& name);
    ~WebBrowser() override;

    // Starts loading the page at `url` (see the header comment for what is
    // refused). Never raises.
    void Navigate(const QString& url);
    // True for an address a panel would load (http or https with a host).
    static bool IsWebAddress(const QString& url);
    // The address last navigated to.
    QString LocationURL() const { return url_; }

    // The engine's view (a QWebEngineView); null until the first navigation
    // that loads a page.
    QWidget* View() const;

    std::function<void()> OnDocumentComplete;
    std::function<void()> OnDownloadComplete;
    std::function<void()> OnNavigateError;

private:
    bool MakeView();
    void FailLater();
    void Fire(const std::function<void()>& event);

    QString url_;
    std::unique_ptr<web::PanelView> view_;
};

} // namespace mj
