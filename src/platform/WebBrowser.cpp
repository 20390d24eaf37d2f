#include "platform/WebBrowser.h"

#include "platform/Application.h"
#include "platform/WebEngine.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace mj {

namespace {

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// As root, Chromium cannot run its sandbox and would end the whole process:
// the engine starts there only when the environment switched the sandbox off.
bool sandboxAllowsStart()
{
    if (geteuid() != 0)
        return true;
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
        || qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QLatin1String("--no-sandbox"));
}

bool g_released = false;

} // namespace

web::CreatePanelView web::LoadEngine()
{
    static bool tried = false;
    static CreatePanelView create = nullptr;
    if (g_released || !sandboxAllowsStart())
        return nullptr;
    if (tried)
        return create;
    tried = true;
    // The module is never unloaded: its engine lives until the program ends.
    static QLibrary module(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(ModulePath));
    if (!module.load())
        return nullptr;
    auto release = reinterpret_cast<ReleaseEngine>(module.resolve(ReleaseEngineName));
    create = reinterpret_cast<CreatePanelView>(module.resolve(CreatePanelViewName));
    if (!release || !create) {
        create = nullptr;
        return nullptr;
    }
    AddShutdownRoutine([release] {
        g_released = true;
        release();
    });
    return create;
}

WebBrowser::WebBrowser(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

WebBrowser::~WebBrowser() = default;

bool WebBrowser::IsWebAddress(const QString& url)
{
    return isWebAddress(QUrl(url));
}

QWidget* WebBrowser::View() const
{
    return view_ ? view_->Widget() : nullptr;
}

void WebBrowser::Navigate(const QString& url)
{
    url_ = url;
    const QUrl address(url);
    if (!isWebAddress(address) || !MakeView()) {
        if (view_)
            view_->Stop();
        FailLater();
        return;
    }
    view_->Load(address);
}

bool WebBrowser::MakeView()
{
    if (view_)
        return view_->Widget() != nullptr;
    if (!Widget())
        return false;
    const web::CreatePanelView create = web::LoadEngine();
    if (!create)
        return false;
    web::PanelEvents events;
    events.Loaded = [this] {
        Fire(OnDownloadComplete);
        Fire(OnDocumentComplete);
    };
    events.Failed = [this] {
        Fire(OnNavigateError);
        Fire(OnDownloadComplete);
    };
    events.Stopped = [this] { Fire(OnDownloadComplete); };
    view_.reset(create(Widget(), std::move(events)));
    return view_ != nullptr;
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
