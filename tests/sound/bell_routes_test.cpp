// The routes' owner against scripted routes, and the real ALSA route against
// a device of the test's own: a FIFO read at a device's pace that the test
// can stop, as a hung device or a stalled link stops taking sound.

#include "bell_player.h"
#include "bell_routes.h"

#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace bw;
using Clock = std::chrono::steady_clock;

namespace {

struct ScriptedRoute : BellOutput {
    explicit ScriptedRoute(std::string label) : label_(std::move(label)) {}
    std::atomic<bool> live = false;
    int rung = 0;
    bool ready = false;
    void keepReady(bool wanted) override { ready = wanted; }
    bool ring() override { return live && ++rung; }
    bool playing() const override { return live; }
    std::string problem() const override { return live ? "" : label_ + " is silent"; }
    std::string name() const override { return label_; }
    void lose(int strokes) { reportLost(strokes); }
    void stopPlaying() {
        live = false;
        reportChanged();
    }

  private:
    std::string label_;
};

// A route whose own thread keeps reporting losses until it goes.
struct LosingRoute : ScriptedRoute {
    LosingRoute() : ScriptedRoute("losing") {
        thread_ = std::thread([this] {
            while (!quit_) {
                lose(1);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    }
    ~LosingRoute() override {
        quit_ = true;
        thread_.join();
    }
    std::atomic<bool> quit_ = false;
    std::thread thread_;
};

struct TwoRoutes {
    ScriptedRoute* server = new ScriptedRoute("server");
    ScriptedRoute* alsa = new ScriptedRoute("alsa");
    int systemBeeps = 0;
    BellPlayer player{std::make_unique<BellRoutes>([this] {
                          std::vector<std::unique_ptr<BellOutput>> routes;
                          routes.emplace_back(server);
                          routes.emplace_back(alsa);
                          return routes;
                      }()),
                      [this] { ++systemBeeps; }};
};

} // namespace

TEST(BellRoutes, AStrokeTheFirstRouteLosesGoesToTheNextAndTheNextIsReadiedWhenTheFirstStops) {
    TwoRoutes t;
    t.server->live = true;
    t.player.openOutput();
    EXPECT_TRUE(t.server->ready);
    EXPECT_FALSE(t.alsa->ready); // only the working server is open

    t.alsa->live = true;
    t.player.beep();
    t.server->lose(1); // taken, then not played: ALSA plays it
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.alsa->rung == 1; }, 1000));
    EXPECT_EQ(t.systemBeeps, 0);

    t.server->stopPlaying();
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.alsa->ready; }, 1000)); // at once, not at a loss
    t.alsa->live = false;
    t.player.beep(); // neither plays: the system beep
    EXPECT_EQ(t.systemBeeps, 1);
    EXPECT_EQ(t.server->rung, 1);
}

// Run under ASan and TSan too (BELLWARDEN_SANITIZE): losses arriving from a
// route's thread while the player and its routes go must touch nothing freed.
TEST(BellRoutes, ThePlayerGoesWhileARouteIsReportingLosses) {
    int fellBack = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<std::unique_ptr<BellOutput>> routes;
        routes.push_back(std::make_unique<LosingRoute>());
        BellPlayer player(std::make_unique<BellRoutes>(std::move(routes)), [&] { ++fellBack; });
        QTest::qWait(round); // goes at a different moment each round
    }
    EXPECT_GT(fellBack, 0); // the losses did reach the player
}

namespace {

// ALSA's default device as a file plugin into a FIFO, read here at 48 kHz
// mono s16 pace by a thread until told to stop.
class PausableDevice {
  public:
    PausableDevice() {
        dir_ = std::filesystem::temp_directory_path() / ("bell-alsa-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        const auto fifo = dir_ / "card";
        mkfifo(fifo.c_str(), 0600);
        std::ofstream(dir_ / "asound.conf")
            << "pcm.!default { type file slave.pcm { type null } file \"" << fifo.string()
            << "\" format \"raw\" }\n";
        setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
        fd_ = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        fcntl(fd_, F_SETPIPE_SZ, 4096); // the writer runs at most a page ahead
        reader_ = std::thread([this] { read(); });
    }
    ~PausableDevice() {
        quit_ = true;
        reader_.join();
        close(fd_);
        unsetenv("ALSA_CONFIG_PATH");
        std::filesystem::remove_all(dir_);
    }
    std::atomic<bool> reading = true;
    std::atomic<long> bytesRead = 0;

  private:
    void read() {
        constexpr double kBytesPerSecond = 48000 * 2;
        char buffer[1920]; // 20 ms
        auto due = Clock::now();
        while (!quit_) {
            pollfd p{fd_, POLLIN, 0};
            if (!reading || poll(&p, 1, 20) <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                due = Clock::now();
                continue;
            }
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) continue;
            bytesRead += n;
            due += std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(double(n) / kBytesPerSecond));
            std::this_thread::sleep_until(due);
        }
    }
    std::filesystem::path dir_;
    int fd_ = -1;
    std::atomic<bool> quit_ = false;
    std::thread reader_;
};

} // namespace

// The device stops taking sound just as a stroke is rung: ring() returns at
// once, the stroke is reported lost within a second and falls back; once the
// device takes sound again, the next stroke is played there.
TEST(AlsaRoute, AStrokeIntoADeviceThatStopsIsReportedLostAndTheDeviceIsUsedAgainOnceItPlays) {
    PausableDevice device;
    auto* routes = new BellRoutes([] {
        std::vector<std::unique_ptr<BellOutput>> alsaOnly;
        alsaOnly.push_back(makeAlsaBellOutput());
        return alsaOnly;
    }());
    int systemBeeps = 0;
    BellPlayer player(std::unique_ptr<BellOutput>(routes), [&] { ++systemBeeps; });
    player.openOutput();
    ASSERT_TRUE(QTest::qWaitFor([&] { return routes->playing() && device.bytesRead > 9600; }, 5000))
        << routes->problem();

    device.reading = false;
    const auto asked = Clock::now();
    player.beep();
    EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(20));
    EXPECT_FALSE(player.usingSystemBeep()); // taken: the device looked fine
    ASSERT_TRUE(QTest::qWaitFor([&] { return systemBeeps == 1; }, 2000))
        << "the stroke into a stopped device was not reported lost";
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1)); // still within the bell
    EXPECT_FALSE(routes->playing());
    EXPECT_EQ(routes->problem(), "ALSA's default device stopped playing");

    device.reading = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return routes->playing(); }, 2000));
    player.beep();
    EXPECT_FALSE(player.usingSystemBeep());
    QTest::qWait(300);
    EXPECT_EQ(systemBeeps, 1);
}
