#pragma once
// The skin chooser: a pop-up under the main window's skin button with one
// thumbnail per installed skin. Choosing one stores it as the selected skin
// and switches this window and the main window to it at once.

#include <functional>
#include <string>
#include <vector>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

class VQSkinSettingWnd : public VQDialogWindow {
public:
    // `onChosen` runs after a choice was stored (the main window takes the
    // skin again and passes it on to its windows and sibling programs).
    VQSkinSettingWnd(HWND owner, std::function<void()> onChosen);

    const wchar_t* GetWindowClassName() const override { return L"VQSkinSettingWnd"; }
    LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Notify(VQNotifyMsg& msg) override;

    // Moves the window to (x, y) of its owner's client area (no clamping:
    // the caller computed the place under its button).
    void ShowAt(int x, int y);

    // The thumbnails' names in order ("默认皮肤" first) and the checked one.
    std::vector<std::wstring> ItemNames() const;
    int CheckedIndex() const;
    // Chooses the item at `index` as a click would.
    bool Choose(int index);

    static const int kListId = 104;

protected:
    void OnLayoutReady() override;

private:
    void FillSkinList();
    void ApplyChoice(VQControl* option);

    std::function<void()> m_onChosen;
    bool m_filling = false;  // checking the current skin is not a choice
};

}  // namespace Tessar
