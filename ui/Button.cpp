#include "ui/Button.h"

namespace Tessar {

VQButton::VQButton() {
    m_notify.set(NotifyClick);
    m_flags.set(FlagTabStop);
}

VQControl* VQButton::GetInterface(int type) {
    if (type == ControlTypeButton) return this;
    return VQLabel::GetInterface(type);
}

void VQButton::OnSetCursor(VQEvent&) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
}

void VQButton::OnLButtonDblClk(VQEvent& event) {
    OnLButtonDown(event);
}

}  // namespace Tessar
