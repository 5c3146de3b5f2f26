#include "ui/Label.h"

namespace Tessar {

VQControl* VQLabel::GetInterface(int type) {
    if (type == ControlTypeLabel) return this;
    return VQContainer::GetInterface(type);
}

}  // namespace Tessar
