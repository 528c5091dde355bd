#pragma once
// The engine's only way out: writes to the named elements of the main window.
// The engine never reads any of them back.

#include "colour.h"

#include <iterator>
#include <string>

namespace bw {

// Each element once: its enumerator is named after the control it stands for.
#define BW_WINDOW_ELEMENTS(X)                                                                      \
    X(Form1)                                                                                       \
    X(Dminutes)                                                                                    \
    X(Dseconds)                                                                                    \
    X(Label5)                                                                                      \
    X(Lbackground)                                                                                 \
    X(LabelOver)                                                                                   \
    X(LabelPause)                                                                                  \
    X(Label4)                                                                                      \
    X(ProgFrame)                                                                                   \
    X(ProgBack)                                                                                    \
    X(ProgBar)                                                                                     \
    X(CBstend)                                                                                     \
    X(CBpause)                                                                                     \
    X(CBpback)                                                                                     \
    X(CBpfwd)                                                                                      \
    X(TBmint1)                                                                                     \
    X(TBmint2)                                                                                     \
    X(TBmint3)

#define BW_ELEMENT_ENUMERATOR(name) name,
enum class Element { BW_WINDOW_ELEMENTS(BW_ELEMENT_ENUMERATOR) };
#undef BW_ELEMENT_ENUMERATOR

#define BW_ELEMENT_NAME(name) #name,
inline constexpr const char* kElementNames[] = {BW_WINDOW_ELEMENTS(BW_ELEMENT_NAME)};
#undef BW_ELEMENT_NAME

inline constexpr int kElementCount = static_cast<int>(std::size(kElementNames));

inline const char* elementName(Element e) {
    return kElementNames[static_cast<int>(e)];
}

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
