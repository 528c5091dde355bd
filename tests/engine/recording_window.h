#pragma once
// Test doubles for the engine's three ports: window elements that remember
// every write, a clock whose seconds the test moves, and a beeper that logs.

#include "fakes.h"
#include "session.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bw::test {

struct ElementValues {
    std::string caption;
    bool visible = true;
    bool enabled = true;
    Colour back = Colour::buttonFace();
    bool opaque = true;
    float width = -1;
};

class RecordingWindow : public WindowElements {
  public:
    std::map<Element, ElementValues> values;
    std::vector<std::string> log; // "Element.property=value", in order

    const ElementValues& operator[](Element e) { return values[e]; }
    void clearLog() { log.clear(); }
    int writesTo(Element e, const std::string& property) const {
        const std::string prefix = std::string(elementName(e)) + "." + property + "=";
        int n = 0;
        for (const auto& entry : log)
            n += entry.rfind(prefix, 0) == 0;
        return n;
    }

    void setCaption(Element e, const std::string& text) override {
        values[e].caption = text;
        record(e, "caption", text);
    }
    void setVisible(Element e, bool v) override {
        values[e].visible = v;
        record(e, "visible", v ? "1" : "0");
    }
    void setEnabled(Element e, bool v) override {
        values[e].enabled = v;
        record(e, "enabled", v ? "1" : "0");
    }
    void setBackColour(Element e, Colour c) override {
        values[e].back = c;
        record(e, "back", c.isButtonFace() ? "buttonface" : std::to_string(c.packed()));
    }
    void setBackOpaque(Element e, bool v) override {
        values[e].opaque = v;
        record(e, "opaque", v ? "1" : "0");
    }
    void setWidthTwips(Element e, float w) override {
        values[e].width = w;
        record(e, "width", std::to_string(static_cast<int>(w)));
    }

  private:
    void record(Element e, const char* property, const std::string& value) {
        log.push_back(std::string(elementName(e)) + "." + property + "=" + value);
    }
};

// A started-up engine as the window has it after Initialize, Load and the
// first resize (unit 15).
struct Rig {
    RecordingWindow window;
    ScriptedClock clock;
    CountingBeeper beeper{&window.log};
    Session session{window, clock, beeper};
    SessionState& st = session.stateForTests();

    Rig() {
        session.Initialize();
        session.Load();
        st.unit = 15;
        session.Tick(); // the clock label picks up the time while ready
    }
    // One tick after the clock's second has changed.
    void step() {
        ++clock.seconds;
        session.Tick();
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i)
            step();
    }
    void start() { session.CBstend_Click(); }
    std::string minutes() { return window[Element::Dminutes].caption; }
    std::string seconds() { return window[Element::Dseconds].caption; }
    std::string readout() { return minutes() + ":" + seconds(); }
    Colour band() { return window[Element::Lbackground].back; }
};

// The readout text written out independently of the engine: minutes as "%2d"
// (only their last two digits from 100 on), seconds as "%02d".
inline std::string mmss(int minutes, int seconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, minutes >= 100 ? "%02d:%02d" : "%2d:%02d", minutes % 100,
                  seconds);
    return buf;
}

} // namespace bw::test
