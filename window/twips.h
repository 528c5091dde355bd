#pragma once
// Geometry is kept in twips (1/1440 inch) and turned into Qt's logical
// pixels with the screen's logical DPI, the same DPI Qt uses for point-sized
// fonts, so geometry and fonts scale together.

#include <QRect>
#include <QRectF>
#include <QWidget>
#include <cmath>

namespace bw {

class TwipsScale {
  public:
    explicit TwipsScale(double logicalDpi = 96.0) : pxPerTwip_(logicalDpi / 1440.0) {}

    int px(double twips) const { return static_cast<int>(std::lround(twips * pxPerTwip_)); }
    double twips(double px) const { return px / pxPerTwip_; }

    // Each edge is rounded on its own, so elements that meet in twips meet
    // in pixels too.
    QRect rect(const QRectF& tw) const {
        const int l = px(tw.left()), t = px(tw.top());
        return QRect(l, t, px(tw.left() + tw.width()) - l, px(tw.top() + tw.height()) - t);
    }

  private:
    double pxPerTwip_;
};

// A control remembers its geometry in twips, so a later change of one
// property (the progress bar's width) keeps the others exact.
inline QRectF twipsGeometry(const QWidget* w) {
    return w->property("twips").toRectF();
}

inline void setTwipsGeometry(QWidget* w, const QRectF& twips, const TwipsScale& scale) {
    w->setProperty("twips", twips);
    w->setGeometry(scale.rect(twips));
}

} // namespace bw
