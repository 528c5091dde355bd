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
    const auto [dark, light] = std::minmax(luminance(a), luminance(b));
    return (light + 0.05) / (dark + 0.05);
}

QColor textOnBands(const QColor& schemeText) {
    constexpr double kReadable = 4.5;
    for (Colour back : {PhaseColour::beforeBell1, PhaseColour::afterBell1, PhaseColour::afterBell2,
                        PhaseColour::overTimeWindow})
        if (contrastRatio(schemeText, toQColor(back)) < kReadable) return Qt::black;
    return schemeText;
}

} // namespace bw
