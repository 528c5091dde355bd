#include "readable_text.h"

#include "phase_colour.h"

#include <algorithm>
#include <cmath>

namespace bw {

namespace {
double channel(double c) {
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
QColor toQColor(Colour c) {
    return QColor(c.red(), c.green(), c.blue());
}
} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor textOnBands(const QColor& schemeText) {
    constexpr double kReadable = 4.5;
    for (Colour back : {PhaseColour::beforeBell1, PhaseColour::afterBell1, PhaseColour::afterBell2,
                        PhaseColour::overTimeWindow})
        if (contrastRatio(schemeText, toQColor(back)) < kReadable) return Qt::black;
    return schemeText;
}

CircleColours optionCircle(const QColor& face, const CircleColours& scheme) {
    if (face.lightness() >= 128) return scheme;
    QColor fill = face;
    while (contrastRatio(fill, face) < 3.0 && fill.lightness() < 255)
        fill = QColor::fromHsl(fill.hslHue(), fill.hslSaturation(),
                               std::min(255, fill.lightness() + 8));
    return {fill, face};
}

} // namespace bw
