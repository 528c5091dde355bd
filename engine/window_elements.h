#pragma once
// The engine's only way out: writes to the named elements of the main window.
// The engine never reads any of them back.

#include "colour.h"

#include <string>

namespace bw {

enum class Element {
    Form1,
    Dminutes,
    Dseconds,
    Label5,
    Lbackground,
    LabelOver,
    LabelPause,
    Label4,
    ProgFrame,
    ProgBack,
    ProgBar,
    CBstend,
    CBpause,
    CBpback,
    CBpfwd,
    TBmint1,
    TBmint2,
    TBmint3,
};

const char* elementName(Element e);

class WindowElements {
  public:
    virtual ~WindowElements() = default;
    // Caption of a label or button, text of a text box.
    virtual void setCaption(Element e, const std::string& text) = 0;
    virtual void setVisible(Element e, bool visible) = 0;
    virtual void setEnabled(Element e, bool enabled) = 0;
    virtual void setBackColour(Element e, Colour c) = 0;
    virtual void setBackOpaque(Element e, bool opaque) = 0;
    virtual void setWidthTwips(Element e, float twips) = 0;
};

// Local time of day as text with seconds; it changes exactly when the local
// second changes.
class TimeOfDay {
  public:
    virtual ~TimeOfDay() = default;
    virtual std::string text() = 0;
};

// One short audible signal per call. Must not block.
class Beeper {
  public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

} // namespace bw
