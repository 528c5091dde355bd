#include "controls.h"

#include "readable_text.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

namespace bw {

QColor buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}
QColor buttonText() {
    return QApplication::palette().color(QPalette::ButtonText);
}
QColor buttonHighlight() {
    return QApplication::palette().color(QPalette::Light);
}
QColor windowBackground() {
    return QApplication::palette().color(QPalette::Base);
}
QColor windowText() {
    return QApplication::palette().color(QPalette::Text);
}

void setOwnColour(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

template <class W> W* ControlBuilder::place(W* w, const char* name, QRectF twips) const {
    w->setObjectName(name);
    setTwipsGeometry(w, twips, scale);
    return w;
}

QLabel* ControlBuilder::label(const char* name, const QString& caption, QRectF twips, Fill fill,
                              Qt::Alignment align) const {
    auto* l = place(new QLabel(caption, parent), name, twips);
    l->setTextFormat(Qt::PlainText); // "<S>" is a caption, not markup
    // Captions sit at the top of their box, as the design draws them.
    l->setAlignment(align | Qt::AlignTop);
    l->setAutoFillBackground(fill == Fill::Opaque);
    setOwnColour(l, QPalette::Window, buttonFace());
    setOwnColour(l, QPalette::WindowText, buttonText());
    return l;
}

QLabel* ControlBuilder::bigText(const char* name, const QString& caption, QRectF twips,
                                const QFont& font, double designAscentEm,
                                Qt::Alignment align) const {
    auto* l = place(new DesignTextLabel(caption, parent, designAscentEm), name, twips);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(align | Qt::AlignTop);
    l->setAutoFillBackground(false);
    setOwnColour(l, QPalette::WindowText, buttonText());
    l->setFont(font);
    return l;
}

DesignTextLabel::DesignTextLabel(const QString& text, QWidget* parent, double designAscentEm)
    : QLabel(text, parent), designAscentEm_(designAscentEm) {}

void DesignTextLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (autoFillBackground()) p.fillRect(rect(), palette().color(QPalette::Window));
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const double emPx = font().pointSizeF() * logicalDpiY() / 72.0;
    const double baseline = designAscentEm_ * emPx;
    const double advance = QFontMetricsF(font()).horizontalAdvance(text());
    double x = 0;
    if (alignment() & Qt::AlignRight)
        x = width() - advance;
    else if (alignment() & Qt::AlignHCenter)
        x = (width() - advance) / 2;
    p.drawText(QPointF(x, baseline), text());
}

QPushButton* ControlBuilder::button(const char* name, const QString& caption, QRectF twips,
                                    const QFont& font) const {
    auto* b = place(new QPushButton(caption, parent), name, twips);
    b->setFont(font);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* ControlBuilder::textBox(const char* name, const QString& text, QRectF twips,
                                   const QFont& font) const {
    auto* t = place(new QLineEdit(text, parent), name, twips);
    t->setFont(font);
    // Nothing reads these boxes, so typing into them would only mislead.
    t->setReadOnly(true);
    t->setTextMargins(0, 0, 0, 0);
    t->setAlignment(Qt::AlignRight);
    setOwnColour(t, QPalette::Base, windowBackground());
    setOwnColour(t, QPalette::Text, windowText());
    return t;
}

QGroupBox* ControlBuilder::frame(const char* name, QRectF twips) const {
    auto* f = place(new QGroupBox(parent), name, twips);
    f->setAutoFillBackground(true);
    setOwnColour(f, QPalette::Window, buttonFace());
    return f;
}

QRadioButton* ControlBuilder::option(const char* name, const QString& caption, QRectF twips) const {
    auto* o = place(new QRadioButton(caption, parent), name, twips);
    setOwnColour(o, QPalette::WindowText, buttonText());
    const QPalette& p = o->palette();
    const CircleColours circle =
        optionCircle(buttonFace(), {p.color(QPalette::Base), p.color(QPalette::Text)});
    setOwnColour(o, QPalette::Base, circle.fill);
    setOwnColour(o, QPalette::Text, circle.mark); // the dot
    return o;
}

QWidget* ControlBuilder::line(const char* name, QPointF from, QPointF to) const {
    auto* l = new LineWidget(parent, from, to, scale);
    l->setObjectName(name);
    return l;
}

QWidget* ControlBuilder::shape(const char* name, QRectF twips, const QColor& fill) const {
    return place(new ShapeWidget(parent, fill), name, twips);
}

LineWidget::LineWidget(QWidget* parent, QPointF fromTwips, QPointF toTwips, const TwipsScale& scale)
    : QWidget(parent) {
    const QPoint a(scale.px(fromTwips.x()), scale.px(fromTwips.y()));
    const QPoint b(scale.px(toTwips.x()), scale.px(toTwips.y()));
    const QRect box = QRect(a, b).normalized().adjusted(-1, -1, 1, 1);
    setGeometry(box);
    from_ = a - box.topLeft();
    to_ = b - box.topLeft();
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(windowText(), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from_, to_);
}

ShapeWidget::ShapeWidget(QWidget* parent, const QColor& fill) : QWidget(parent), fill_(fill) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) return;
    QPainter p(this);
    p.fillRect(rect(), fill_);
    p.setPen(QPen(windowText(), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace bw
