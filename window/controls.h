#pragma once
// The control kinds of the window and their defaults: labels (opaque or
// transparent), command buttons, text boxes, frames, option buttons, straight
// lines and the filled rectangle of the progress bar.

#include "twips.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QWidget>

class QPushButton;
class QLineEdit;
class QGroupBox;
class QRadioButton;

namespace bw {

// The desktop's colours that the design names.
QColor buttonFace();
QColor buttonText();
QColor buttonHighlight();
QColor windowBackground();
QColor windowText();

// Gives a widget its own colour for a palette role, so a change of its
// parent's colour (the red window of over time) does not reach it.
void setOwnColour(QWidget* w, QPalette::ColorRole role, const QColor& c);

enum class Fill { Opaque, Transparent };

struct ControlBuilder {
    QWidget* parent;
    TwipsScale scale;

    QLabel* label(const char* name, const QString& caption, QRectF twips, Fill fill,
                  Qt::Alignment align = Qt::AlignLeft) const;
    // A label of large text, placed by the design font's ascent.
    QLabel* bigText(const char* name, const QString& caption, QRectF twips, const QFont& font,
                    double designAscentEm, Qt::Alignment align) const;
    QPushButton* button(const char* name, const QString& caption, QRectF twips,
                        const QFont& font) const;
    QLineEdit* textBox(const char* name, const QString& text, QRectF twips,
                       const QFont& font) const;
    QGroupBox* frame(const char* name, QRectF twips) const;
    QRadioButton* option(const char* name, const QString& caption, QRectF twips) const;
    QWidget* line(const char* name, QPointF from, QPointF to) const;
    QWidget* shape(const char* name, QRectF twips, const QColor& fill) const;

  private:
    template <class W> W* place(W* w, const char* name, QRectF twips) const;
};

// A label whose text sits where the design font would put it: the baseline
// lies the design font's ascent below the top, whichever look-alike font
// draws it, so the big readouts stay on the band at every size.
class DesignTextLabel : public QLabel {
  public:
    DesignTextLabel(const QString& text, QWidget* parent, double designAscentEm);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double designAscentEm_;
};

// Ascent of the design fonts, in ems.
inline constexpr double kCenturyGothicAscent = 1.006;
inline constexpr double kCenturyAscent = 0.99;
inline constexpr double kArialBlackAscent = 1.1;

// A straight 2-pixel line between two points given in twips of its container.
class LineWidget : public QWidget {
  public:
    LineWidget(QWidget* parent, QPointF fromTwips, QPointF toTwips, const TwipsScale& scale);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QPoint from_, to_; // in this widget's pixels
};

// A filled rectangle with a thin border, drawn to the edges of its geometry.
class ShapeWidget : public QWidget {
  public:
    ShapeWidget(QWidget* parent, const QColor& fill);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QColor fill_;
};

} // namespace bw
