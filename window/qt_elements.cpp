#include "qt_elements.h"

#include "controls.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

namespace bw {

namespace {
QColor toQColor(Colour c) {
    return c.isButtonFace() ? buttonFace() : QColor(c.red(), c.green(), c.blue());
}
} // namespace

void QtElements::bind(QWidget* form) {
    for (int i = 0; i < kElementCount; ++i) {
        const auto e = static_cast<Element>(i);
        widgets_[i] = e == Element::Form1 ? form : form->findChild<QWidget*>(elementName(e));
    }
}

QWidget* QtElements::widget(Element e) const {
    QWidget* w = widgets_[static_cast<int>(e)];
    if (!w) throw std::runtime_error(std::string("no control named ") + elementName(e));
    return w;
}

void QtElements::setCaption(Element e, const std::string& text) {
    QWidget* w = widget(e);
    const QString s = QString::fromStdString(text);
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(s);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(s);
    else if (auto* box = qobject_cast<QLineEdit*>(w))
        box->setText(s);
    else
        throw std::runtime_error(std::string(elementName(e)) + " has no caption");
}

void QtElements::setVisible(Element e, bool visible) {
    widget(e)->setVisible(visible);
}

void QtElements::setEnabled(Element e, bool enabled) {
    widget(e)->setEnabled(enabled);
}

void QtElements::setBackColour(Element e, Colour c) {
    setOwnColour(widget(e), QPalette::Window, toQColor(c));
}

void QtElements::setBackOpaque(Element e, bool opaque) {
    QWidget* w = widget(e);
    w->setAutoFillBackground(opaque);
    w->update();
}

void QtElements::setWidthTwips(Element e, float twips) {
    QWidget* w = widget(e);
    QRectF g = twipsGeometry(w);
    g.setWidth(twips);
    setTwipsGeometry(w, g, scale_);
}

} // namespace bw
