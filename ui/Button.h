#pragma once
// A label that can be clicked: sends the click notification without a
// "notify" attribute and takes part in Tab navigation.

#include "ui/Label.h"

namespace Tessar {

class VQButton : public VQLabel {
public:
    VQButton();

    int GetControlType() const override { return ControlTypeButton; }
    VQControl* GetInterface(int type) override;
    // The hand cursor; not forwarded.
    void OnSetCursor(VQEvent& event) override;
    // A double click acts as a second button-down.
    void OnLButtonDblClk(VQEvent& event) override;
};

}  // namespace Tessar
