#include "wayland_idle_inhibitor.h"

#include "qwayland-idle-inhibit-unstable-v1.h"
#include "screen_log.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWaylandClientExtensionTemplate>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

namespace bw {

// Bound by Qt's own registry once the compositor announces the global; stays
// inactive where it never does.
class IdleInhibitManager : public QWaylandClientExtensionTemplate<IdleInhibitManager>,
                           public QtWayland::zwp_idle_inhibit_manager_v1 {
  public:
    IdleInhibitManager() : QWaylandClientExtensionTemplate(1) {}
    ~IdleInhibitManager() override { letGo(); }
    // Qt marks the extension inactive when the global goes away but keeps
    // the bound object; a later bind would overwrite it.
    void letGo() {
        if (object()) destroy();
    }
};

namespace {
bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
} // namespace

WaylandIdleInhibitor::WaylandIdleInhibitor(QObject* parent) : QObject(parent) {
    if (!onWayland()) {
        qCDebug(screenLog) << "not on Wayland: no idle inhibitor";
        return;
    }
    manager_ = std::make_unique<IdleInhibitManager>();
    connect(manager_.get(), &QWaylandClientExtension::activeChanged, this, [this] {
        refresh(); // drops the inhibitor first if the manager went away
        if (!manager_->isActive()) manager_->letGo();
    });
}

WaylandIdleInhibitor::~WaylandIdleInhibitor() {
    drop();
}

void WaylandIdleInhibitor::watch(QWindow* window) {
    if (window_) window_->removeEventFilter(this);
    window_ = window;
    if (window_) window_->installEventFilter(this);
    refresh();
}

void WaylandIdleInhibitor::hold(bool inhibit) {
    wanted_ = inhibit;
    if (manager_ && inhibit && !manager_->isActive() && !toldUnoffered_) {
        toldUnoffered_ = true;
        qCDebug(screenLog) << "the compositor offers no idle inhibit";
    }
    refresh();
}

bool WaylandIdleInhibitor::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Hide:
        // Qt 6.4 has destroyed the surface by now (which the protocol allows);
        // later versions keep it without a role, where a kept inhibitor
        // would still hold off idle with no window to show.
        drop();
        break;
    case QEvent::PlatformSurface:
        if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            drop();
        break;
    case QEvent::Expose:
        refresh();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// The surface the window is shown with now, or null while it is not exposed
// (hidden, or no longer drawn by the compositor).
wl_surface* WaylandIdleInhibitor::shownSurface() const {
    if (!window_ || !window_->isExposed() || !window_->handle()) return nullptr;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native) return nullptr;
    return static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window_));
}

void WaylandIdleInhibitor::refresh() {
    if (!manager_) return;
    wl_surface* surface = manager_->isActive() && wanted_ ? shownSurface() : nullptr;
    if (surface == inhibitedSurface_) return; // null exactly while none is held
    drop();
    if (!surface) return;
    inhibitor_ = manager_->create_inhibitor(surface);
    inhibitedSurface_ = surface;
    qCDebug(screenLog) << "idle inhibited on the window's surface";
}

void WaylandIdleInhibitor::drop() {
    if (!inhibitor_) return;
    zwp_idle_inhibitor_v1_destroy(inhibitor_);
    inhibitor_ = nullptr;
    inhibitedSurface_ = nullptr;
    qCDebug(screenLog) << "idle inhibitor released";
}

} // namespace bw
