// The seam between a web panel and the browser engine. The engine (Qt
// WebEngine, Chromium inside) is large: linked into the program it sets up
// OpenGL and its renderer threads at start-up, whether a panel ever opens or
// not. So it lives in a module of its own, web/libmjweb.so beside the
// program, which the first panel that navigates loads; a client that shows
// no web page never loads it.
//
// The module exports two functions with C names: one makes the engine's
// view for a panel, one releases every view and the engine's profile (it
// must run before the application object goes away).
#pragma once

#include <functional>

class QUrl;
class QWidget;

namespace mj::web {

// What a view reports, from the event loop, when a navigation ends.
struct PanelEvents {
    std::function<void()> Loaded;  // the page and everything in it
    std::function<void()> Failed;  // no connection, an HTTP error, a refused address
    std::function<void()> Stopped; // replaced by a later navigation, or a download
};

// The engine's view inside one panel.
class PanelView {
public:
    virtual ~PanelView() = default;
    // The view's widget (a QWebEngineView); null once Qt has destroyed it.
    virtual QWidget* Widget() const = 0;
    virtual void Load(const QUrl& url) = 0;
    virtual void Stop() = 0;
};

using CreatePanelView = PanelView* (*)(QWidget* panel, PanelEvents events);
using ReleaseEngine = void (*)();

inline constexpr char CreatePanelViewName[] = "mj_web_create_panel_view";
inline constexpr char ReleaseEngineName[] = "mj_web_release_engine";
// Where the module lies, relative to the program's folder.
inline constexpr char ModulePath[] = "web/libmjweb.so";

// Loads the module at the first call; null when it cannot be had.
CreatePanelView LoadEngine();

} // namespace mj::web
