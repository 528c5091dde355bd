#include "layout.h"

#include "session.h"

#include <cmath>

namespace bw {

i16 formWidthFromOuterWidth(double outerWidthTwips) {
    if (std::isnan(outerWidthTwips)) return 0;
    const double rounded = std::nearbyint(outerWidthTwips); // ties to even
    if (rounded >= 32767.0) return 32767;
    if (rounded <= -32768.0) return -32768;
    return static_cast<i16>(rounded);
}

i16 unitForWidth(i16 formWidth) {
    if (formWidth < 9500) return 15;
    if (formWidth < 11900) return 20;
    if (formWidth < 15200) return 25;
    if (formWidth < 19000) return 32;
    return 40;
}

Layout computeLayout(double outerWidthTwips, i16 progressShown) {
    Layout l;
    l.formWidth = formWidthFromOuterWidth(outerWidthTwips);
    const i16 u = l.unit = unitForWidth(l.formWidth);
    auto x = [u](i16 n) { return mul(n, u); };
    const std::nullopt_t keep = std::nullopt;
    const i16 barWidth = progBarWidth(u, progressShown);
    l.rows = {{
        {"ProgFrame", x(6), x(462), x(3), x(72), keep},
        {"ProgBack", x(12), x(450), x(9), x(60), keep},
        {"ProgBar", x(12), barWidth, x(9), x(60), keep},
        {"LabelOver", x(108), x(258), x(-3), x(102), x(3)},
        {"Lbackground", x(6), x(462), x(75), x(192), keep},
        {"LabelPause", x(120), x(270), x(141), x(90), x(3)},
        {"LabelDot", x(210), x(96), x(48), x(228), x(10)},
        {"Dminutes", x(6), x(228), x(48), x(228), x(10)},
        {"Dseconds", x(282), x(174), x(87), x(192), x(8)},
        {"Frame1", x(6), keep, sub(x(300), 660), keep, keep},
        {"Frame2", x(254), keep, sub(x(300), 660), keep, keep},
        {"CBstend", x(408), x(60), x(282), x(30), keep},
        {"Label5", sub(x(438), 600), keep, x(318), keep, keep},
        {"Version", sub(x(438), 600), keep, x(336), keep, keep},
        {"Frame3", x(6), keep, x(360), keep, keep},
    }};
    return l;
}

} // namespace bw
