// The outputs a stroke can take, tried in order: the first that plays takes
// it. A later route is kept ready only while every route before it is not
// playing, so a working sound server is the only output open; and a stroke an
// earlier route lost is handed on to the next.

#include "bell_output.h"

#include <atomic>
#include <vector>

namespace bw {

namespace {
class BellRoutes final : public BellOutput {
  public:
    explicit BellRoutes(std::vector<std::unique_ptr<BellOutput>> routes)
        : routes_(std::move(routes)) {
        for (std::size_t i = 0; i < routes_.size(); ++i)
            routes_[i]->onStrokesLost([this, i](int n) { handOn(i + 1, n); });
    }

    void keepReady(bool wanted) override {
        wanted_ = wanted;
        bool earlierPlays = false;
        for (auto& route : routes_) {
            route->keepReady(wanted && !earlierPlays);
            earlierPlays = earlierPlays || route->playing();
        }
    }

    bool ring() override { return ringFrom(0); }

    bool playing() const override {
        for (const auto& route : routes_)
            if (route->playing()) return true;
        return false;
    }

    // The first route's reason, and what kept each later one from playing.
    std::string problem() const override {
        std::string why;
        for (const auto& route : routes_)
            if (const std::string part = route->problem(); !part.empty())
                why += (why.empty() ? "" : "; ") + part;
        return why;
    }

  private:
    bool ringFrom(std::size_t first) {
        for (std::size_t i = first; i < routes_.size(); ++i)
            if (routes_[i]->ring()) return true;
        return false;
    }

    // Runs on the losing route's thread: only later routes are asked, which
    // never call back into it.
    void handOn(std::size_t next, int strokes) {
        for (std::size_t i = next; i < routes_.size(); ++i)
            routes_[i]->keepReady(wanted_); // for the strokes still to come
        int unplayed = 0;
        for (int i = 0; i < strokes; ++i)
            if (!ringFrom(next)) ++unplayed;
        reportLost(unplayed);
    }

    std::vector<std::unique_ptr<BellOutput>> routes_;
    std::atomic<bool> wanted_ = false;
};
} // namespace

std::unique_ptr<BellOutput> makeBellOutput() {
    std::vector<std::unique_ptr<BellOutput>> routes;
    routes.push_back(makePulseBellOutput());
    routes.push_back(makeAlsaBellOutput());
    return std::make_unique<BellRoutes>(std::move(routes));
}

} // namespace bw
