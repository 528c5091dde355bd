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

} // namespace bw
