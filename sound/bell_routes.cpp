#include "bell_routes.h"

#include "sound_log.h"

namespace bw {

BellRoutes::BellRoutes(std::vector<std::unique_ptr<BellOutput>> routes)
    : routes_(std::move(routes)) {
    for (std::size_t i = 0; i < routes_.size(); ++i) {
        auto lost = [this, i](int strokes) {
            QMetaObject::invokeMethod(
                &events_, [this, i, strokes] { handOn(i + 1, strokes); }, Qt::QueuedConnection);
        };
        auto changed = [this] {
            QMetaObject::invokeMethod(
                &events_, [this] { routeChanged(); }, Qt::QueuedConnection);
        };
        routes_[i]->onStrokesLost(lost, changed);
    }
}

// The last route first: no route is left that could be handed a stroke by
// one still running, and none can post to an owner half gone.
BellRoutes::~BellRoutes() {
    while (!routes_.empty())
        routes_.pop_back();
}

void BellRoutes::keepReady(bool wanted) {
    wanted_ = wanted;
    readyRoutes();
}

void BellRoutes::readyRoutes() {
    bool earlierPlays = false;
    for (auto& route : routes_) {
        route->keepReady(wanted_ && !earlierPlays);
        earlierPlays = earlierPlays || (route->playing() && !route->faltering());
    }
}

bool BellRoutes::playing() const {
    for (const auto& route : routes_)
        if (route->playing()) return true;
    return false;
}

// The first route's reason, and what kept each later one from playing.
std::string BellRoutes::problem() const {
    std::string why;
    for (const auto& route : routes_)
        if (const std::string part = route->problem(); !part.empty())
            why += (why.empty() ? "" : "; ") + part;
    return why;
}

Inaudible BellRoutes::inaudible() const {
    for (const auto& route : routes_)
        if (route->playing()) return route->inaudible();
    return {};
}

std::string BellRoutes::name() const {
    for (const auto& route : routes_)
        if (route->playing()) return route->name();
    return "no route";
}

bool BellRoutes::ringFrom(std::size_t first) {
    for (std::size_t i = first; i < routes_.size(); ++i)
        if (routes_[i]->ring()) return true;
    return false;
}

void BellRoutes::handOn(std::size_t next, int strokes) {
    qCDebug(soundLog) << strokes << "stroke(s) lost on" << routes_[next - 1]->name().c_str();
    readyRoutes(); // for the strokes still to come
    int unplayed = 0;
    for (int i = 0; i < strokes; ++i)
        if (!ringFrom(next)) ++unplayed;
    reportLost(unplayed);
}

void BellRoutes::routeChanged() {
    readyRoutes();
    const std::string now = playing() ? name() : "no route (" + problem() + ")";
    if (now != lastLogged_) qCDebug(soundLog) << "the bell plays through" << now.c_str();
    lastLogged_ = now;
    reportChanged();
}

std::unique_ptr<BellOutput> makeBellOutput() {
    std::vector<std::unique_ptr<BellOutput>> routes;
    routes.push_back(makePulseBellOutput());
    routes.push_back(makeAlsaBellOutput());
    return std::make_unique<BellRoutes>(std::move(routes));
}

} // namespace bw
