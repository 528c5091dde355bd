#pragma once
// The engine's window elements, realised on the Qt controls of Form1.

#include "twips.h"
#include "window_elements.h"

#include <QWidget>
#include <array>

namespace bw {

class QtElements : public WindowElements {
  public:
    explicit QtElements(const TwipsScale& scale) : scale_(scale) {}
    // Looks up every element by its object name below `form`, and `form` itself.
    void bind(QWidget* form);

    void setCaption(Element e, const std::string& text) override;
    void setVisible(Element e, bool visible) override;
    void setEnabled(Element e, bool enabled) override;
    void setBackColour(Element e, Colour c) override;
    void setBackOpaque(Element e, bool opaque) override;
    void setWidthTwips(Element e, float twips) override;

  private:
    QWidget* widget(Element e) const;
    const TwipsScale& scale_;
    std::array<QWidget*, kElementCount> widgets_{};
};

} // namespace bw
