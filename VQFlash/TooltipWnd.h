#pragma once
// The skinned tooltip of the Flash player's tool bar: a layered, topmost
// tool window with a text label and a small arrow, placed centred above
// the control it explains.

#include <windows.h>

#include <string>

#include "ui/PaintManager.h"
#include "ui/WindowWnd.h"

namespace Tessar {

// wParam non-zero shows the tooltip (without activation), zero hides it.
const UINT WM_VQ_SHOW_TOOLTIP = WM_USER + 17;

class VQTooltipWnd : public VQWindowWnd, public INotify {
public:
    VQTooltipWnd();
    ~VQTooltipWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQTooltipWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(VQNotifyMsg& msg) override {}

    // Created once, owned by `owner`.
    bool CreateFor(HWND owner);
    // Shows the control's tooltip centred above it (client coordinates of
    // the owner, turned into screen ones).
    void ShowFor(VQControl* control);
    void Hide();
    // Width of a text in label 300's font plus the margins.
    int MeasureWidth(const std::wstring& text);

    VQPaintManager& GetPaintManager() { return m_paintManager; }

private:
    VQPaintManager m_paintManager;
};

}  // namespace Tessar
