#include "platform/WebBrowser.h"

#include "platform/Application.h"

#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace mj {

namespace {

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// A page that stays in its panel: it opens no windows and follows no link to
// an address that is not http or https.
class PanelPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        return !isMainFrame || isWebAddress(url);
    }
};

} // namespace

// The engine's process-wide part: the one profile the panels share, the
// panels that have a view, and their release before the application ends
// (a view or profile still alive when Qt takes itself down crashes it).
class WebEngineHost {
public:
    static bool CanStart()
    {
        if (released_)
            return false;
        if (geteuid() != 0)
            return true;
        return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
            || qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QLatin1String("--no-sandbox"));
    }

    static QWebEngineProfile* Profile()
    {
        if (!profile_) {
            // No storage name: an off-the-record profile, nothing on disk.
            profile_ = new QWebEngineProfile();
            QObject::connect(profile_, &QWebEngineProfile::downloadRequested,
                             [](QWebEngineDownloadRequest* download) { download->cancel(); });
            AddShutdownRoutine(&WebEngineHost::Release);
        }
        return profile_;
    }

    static void Add(WebBrowser* panel) { panels_.push_back(panel); }
    static void Remove(WebBrowser* panel)
    {
        panels_.erase(std::remove(panels_.begin(), panels_.end(), panel), panels_.end());
    }

private:
    static void Release()
    {
        released_ = true;
        for (WebBrowser* panel : panels_)
            delete panel->view_.data();
        panels_.clear();
        delete profile_;
        profile_ = nullptr;
    }

    static inline QWebEngineProfile* profile_ = nullptr;
    static inline std::vector<WebBrowser*> panels_;
    static inline bool released_ = false;
};

WebBrowser::WebBrowser(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

WebBrowser::~WebBrowser()
{
    WebEngineHost::Remove(this);
    delete view_.data();
}

bool WebBrowser::IsWebAddress(const QString& url)
{
    return isWebAddress(QUrl(url));
}

QWebEngineView* WebBrowser::View() const
{
    return view_;
}

void WebBrowser::Navigate(const QString& url)
{
    url_ = url;
    const QUrl address(url);
    if (!isWebAddress(address) || !MakeView()) {
        if (view_)
            view_->stop();
        FailLater();
        return;
    }
    view_->load(address);
}

bool WebBrowser::MakeView()
{
    if (view_)
        return true;
    if (!Widget() || !WebEngineHost::CanStart())
        return false;
    auto* view = new QWebEngineView(Widget());
    view->setContextMenuPolicy(Qt::NoContextMenu);
    auto* page = new PanelPage(WebEngineHost::Profile(), view);
    page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    view->setPage(page);
    auto* layout = new QVBoxLayout(Widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);

    QObject::connect(page, &QWebEnginePage::loadingChanged, view, [this](const QWebEngineLoadingInfo& info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            Fire(OnDownloadComplete);
            Fire(OnDocumentComplete);
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            Fire(OnNavigateError);
            Fire(OnDownloadComplete);
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            Fire(OnDownloadComplete);
            break;
        }
    });
    view_ = view;
    WebEngineHost::Add(this);
    return true;
}

// A refused address fails as a navigation does: from the event loop, after
// Navigate has returned.
void WebBrowser::FailLater()
{
    if (!Widget())
        return;
    QTimer::singleShot(0, Widget(), [this] {
        Fire(OnNavigateError);
        Fire(OnDownloadComplete);
    });
}

void WebBrowser::Fire(const std::function<void()>& event)
{
    if (event)
        event();
}

} // namespace mj

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds. The engine's library (built without the sanitizers, but
// using the process's operator new and delete, which the sanitizer replaces)
// has two faults of its own: whenever a page that has loaded anything is
// destroyed, it deletes an object of 88 bytes through a pointer to a 24-byte
// type that has no virtual destructor, which the sized-delete check reports;
// and it leaves objects behind at exit. The check has no per-library
// suppression, so it is switched off for the process (our own code has
// -Wdelete-non-virtual-dtor for the same fault); the library's leaks are not
// reported.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n";
}
#endif
