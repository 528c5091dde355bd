#pragma once
// The one owner of the bell's outputs. The routes are tried in order: the
// first that plays takes a stroke. A later route is kept ready only while
// every route before it is not playing or faltering, so a working sound
// server is the only output open; it is readied the moment an earlier one
// stops playing or falters. A
// stroke an earlier route lost is handed on to the next.
//
// Everything here runs on the thread that made the owner: the routes' news
// arrives as queued events. On destruction the routes stop in reverse order,
// each joining its threads, before the owner's event queue goes.

#include "bell_output.h"

#include <QObject>
#include <vector>

namespace bw {

class BellRoutes final : public BellOutput {
  public:
    explicit BellRoutes(std::vector<std::unique_ptr<BellOutput>> routes);
    ~BellRoutes() override;

    void keepReady(bool wanted) override;
    bool ring() override { return ringFrom(0); }
    bool playing() const override;
    std::string problem() const override;
    std::string name() const override;
    Inaudible inaudible() const override;

  private:
    bool ringFrom(std::size_t first);
    void readyRoutes();
    void handOn(std::size_t next, int strokes);
    void routeChanged();

    QObject events_; // the routes' news is handled here
    std::vector<std::unique_ptr<BellOutput>> routes_;
    bool wanted_ = false;
    std::string lastLogged_;
};

} // namespace bw
