#pragma once
// Text on images and colours: a container whose text, colours and images
// are drawn by the base paint steps.

#include "ui/Container.h"

namespace Tessar {

class VQLabel : public VQContainer {
public:
    VQLabel() {}

    int GetControlType() const override { return ControlTypeLabel; }
    VQControl* GetInterface(int type) override;
};

}  // namespace Tessar
