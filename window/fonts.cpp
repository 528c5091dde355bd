#include "fonts.h"

#include <QStringList>

namespace bw::fonts {

namespace {
QFont make(const QStringList& families, double points, QFont::Weight weight) {
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setWeight(weight);
    return f;
}
QFont::Weight weight(bool bold) {
    return bold ? QFont::Bold : QFont::Normal;
}
} // namespace

QFont century(double points, bool bold) {
    return make({"Century", "TeX Gyre Schola", "C059"}, points, weight(bold));
}

QFont centuryGothic(double points, bool bold) {
    return make({"Century Gothic", "TeX Gyre Adventor", "URW Gothic"}, points, weight(bold));
}

QFont courierNew(double points, bool bold) {
    return make({"Courier New", "Liberation Mono", "Cousine"}, points, weight(bold));
}

QFont arialBlack(double points) {
    QFont f = make({"Arial Black", "Lato Black", "Lato"}, points, QFont::Black);
    f.setItalic(true);
    return f;
}

} // namespace bw::fonts
