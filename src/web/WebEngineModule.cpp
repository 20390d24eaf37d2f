// The browser engine's side of the web panels, built as the module that a
// panel loads at its first navigation (see platform/WebEngine.h).
//
// What a view does and does not do: only http and https pages, no context
// menu, no new windows, no downloads (each is cancelled at once); the views
// share one private profile that keeps nothing on disk.
#include "platform/WebEngine.h"

#include <QOpenGLContext>
#include <QPointer>
#include <QQuickWindow>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <vector>

// Qt's own setter of the context the OpenGL users of a program share.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

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

class View;

// The engine's process-wide part: the one profile and the live views.
QWebEngineProfile* g_profile = nullptr;
QOpenGLContext* g_neverCreated = nullptr;
std::vector<View*> g_views;

QWebEngineProfile* profile()
{
    if (!g_profile) {
        // The engine starts long after the application: no OpenGL context
        // was set up for it to share, and none is wanted (that is what
        // keeps the program light until a page shows). The engine reads the
        // shared context's format whatever it then decides, so it gets one
        // that is never created (no OpenGL is loaded for it): it runs
        // without the GPU, and its views draw with the software scene graph.
        if (!QOpenGLContext::globalShareContext()) {
            g_neverCreated = new QOpenGLContext;
            qt_gl_set_global_share_context(g_neverCreated);
        }
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // No storage name: an off-the-record profile, nothing on disk.
        g_profile = new QWebEngineProfile();
        QObject::connect(g_profile, &QWebEngineProfile::downloadRequested,
                         [](QWebEngineDownloadRequest* download) { download->cancel(); });
    }
    return g_profile;
}

class View : public mj::web::PanelView {
public:
    View(QWidget* panel, mj::web::PanelEvents events)
        : events_(std::move(events))
    {
        auto* view = new QWebEngineView(panel);
        view->setContextMenuPolicy(Qt::NoContextMenu);
        auto* page = new PanelPage(profile(), view);
        page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
        view->setPage(page);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        QObject::connect(page, &QWebEnginePage::loadingChanged, view, [this](const QWebEngineLoadingInfo& info) {
            switch (info.status()) {
            case QWebEngineLoadingInfo::LoadStartedStatus:
                break;
            case QWebEngineLoadingInfo::LoadSucceededStatus:
                fire(events_.Loaded);
                break;
            case QWebEngineLoadingInfo::LoadFailedStatus:
                fire(events_.Failed);
                break;
            case QWebEngineLoadingInfo::LoadStoppedStatus:
                fire(events_.Stopped);
                break;
            }
        });
        view_ = view;
        g_views.push_back(this);
    }
    ~View() override
    {
        g_views.erase(std::remove(g_views.begin(), g_views.end(), this), g_views.end());
        delete view_.data();
    }

    QWidget* Widget() const override { return view_; }
    void Load(const QUrl& url) override
    {
        if (view_)
            view_->load(url);
    }
    void Stop() override
    {
        if (view_)
            view_->stop();
    }

    // The view's widget goes now; the object stays with its panel.
    void Drop() { delete view_.data(); }

private:
    static void fire(const std::function<void()>& event)
    {
        if (event)
            event();
    }

    mj::web::PanelEvents events_;
    QPointer<QWebEngineView> view_;
};

} // namespace

extern "C" __attribute__((visibility("default"))) mj::web::PanelView* mj_web_create_panel_view(
    QWidget* panel, mj::web::PanelEvents events)
{
    return new View(panel, std::move(events));
}

// Every view's widget, then the profile: a view or profile still alive when
// Qt takes itself down crashes it.
extern "C" __attribute__((visibility("default"))) void mj_web_release_engine()
{
    for (View* view : g_views)
        view->Drop();
    delete g_profile;
    g_profile = nullptr;
    if (g_neverCreated) {
        qt_gl_set_global_share_context(nullptr);
        delete g_neverCreated;
        g_neverCreated = nullptr;
    }
}
