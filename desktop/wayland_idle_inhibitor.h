#pragma once
// Keeps a Wayland compositor from going idle (blanking, locking) while held,
// through an idle inhibitor on the window's surface, wherever the compositor
// offers zwp_idle_inhibit_manager_v1 (mutter, KWin, sway and other wlroots
// compositors). The compositor honours it only while the surface is visible.
// Hiding the window destroys its surface (Qt 6.4) or takes its role away
// (later versions), and showing it again may bring a new surface, so the
// inhibitor follows the window: dropped whenever the window is hidden, loses
// its platform window or is no longer exposed, made anew on the surface it is
// exposed with. Does nothing unless the platform is Wayland.

#include <QObject>
#include <QPointer>
#include <memory>

class QWindow;
struct wl_surface;
struct zwp_idle_inhibitor_v1;

namespace bw {

class IdleInhibitManager;

class WaylandIdleInhibitor : public QObject {
  public:
    explicit WaylandIdleInhibitor(QObject* parent = nullptr);
    ~WaylandIdleInhibitor() override;

    void watch(QWindow* window);
    void hold(bool inhibit);
    bool inhibiting() const { return inhibitor_ != nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refresh();
    wl_surface* shownSurface() const;
    void drop();

    std::unique_ptr<IdleInhibitManager> manager_; // null unless on Wayland
    QPointer<QWindow> window_;
    bool wanted_ = false;
    bool toldUnoffered_ = false;
    zwp_idle_inhibitor_v1* inhibitor_ = nullptr;
    wl_surface* inhibitedSurface_ = nullptr;
};

} // namespace bw
