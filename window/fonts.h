#pragma once
// The design's font families, each followed by free look-alikes that Debian
// ships, so the window looks the same where the original fonts are missing.

#include <QFont>

namespace bw::fonts {

QFont century(double points, bool bold = false);
QFont centuryGothic(double points, bool bold = false);
QFont courierNew(double points, bool bold = false);
QFont arialBlack(double points);

} // namespace bw::fonts
