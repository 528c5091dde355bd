#pragma once
// The big readouts and captions are drawn on the design's fixed colours (the
// three bands and the over-time red), whatever the desktop's colour scheme.
// A scheme's text colour that is unreadable on any of them, as a dark
// scheme's near white is, gives way to the design's black.

#include <QColor>

namespace bw {

// WCAG contrast ratio, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// schemeText if it reads at 4.5:1 or better on every band colour and the
// over-time red; black otherwise.
QColor textOnBands(const QColor& schemeText);

// Colours of an option button's circle on a face of the given colour. A dark
// scheme fills it with nearly the face's own colour, so it would vanish; it
// is lightened until it stands out at 3:1, and its dot takes the face's dark.
// On a light face both stay the scheme's.
struct CircleColours {
    QColor fill, mark;
};
CircleColours optionCircle(const QColor& face, const CircleColours& scheme);

} // namespace bw
