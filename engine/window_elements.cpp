#include "window_elements.h"

namespace bw {

const char* elementName(Element e) {
    switch (e) {
    case Element::Form1:
        return "Form1";
    case Element::Dminutes:
        return "Dminutes";
    case Element::Dseconds:
        return "Dseconds";
    case Element::Label5:
        return "Label5";
    case Element::Lbackground:
        return "Lbackground";
    case Element::LabelOver:
        return "LabelOver";
    case Element::LabelPause:
        return "LabelPause";
    case Element::Label4:
        return "Label4";
    case Element::ProgFrame:
        return "ProgFrame";
    case Element::ProgBack:
        return "ProgBack";
    case Element::ProgBar:
        return "ProgBar";
    case Element::CBstend:
        return "CBstend";
    case Element::CBpause:
        return "CBpause";
    case Element::CBpback:
        return "CBpback";
    case Element::CBpfwd:
        return "CBpfwd";
    case Element::TBmint1:
        return "TBmint1";
    case Element::TBmint2:
        return "TBmint2";
    case Element::TBmint3:
        return "TBmint3";
    }
    return "?";
}

} // namespace bw
