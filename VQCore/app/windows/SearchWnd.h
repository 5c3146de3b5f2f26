#pragma once
// The drop-down under the main window's search box: the names that match
// what is typed, then "搜索更多结果...". Arrow keys move the selection
// (wrapping), Enter or a click chooses; choosing a name puts it into the
// box and runs the search, choosing the last entry searches the box's text.

#include <functional>
#include <string>
#include <vector>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

class VQOption;

// What the drop-down needs of the main window's search box.
struct VQSearchBox {
    std::function<std::wstring()> getText;
    std::function<void(const std::wstring& text)> setText;
    std::function<void(const std::wstring& text)> runSearch;
    // Arrow keys also go to the box.
    std::function<void(UINT key)> passKey;
};

class VQSearchWnd : public VQDialogWindow {
public:
    explicit VQSearchWnd(const VQSearchBox& box);

    const wchar_t* GetWindowClassName() const override { return L"VQSearchWnd"; }
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Notify(VQNotifyMsg& msg) override;

    void AddItem(const std::wstring& text);
    void AddMoreItem();
    void ClearItems();
    // The names, then the search-more entry, sized once. False when the
    // list shows those already: it is kept (only a picked row is let go)
    // and nothing needs painting again.
    bool SetItems(const std::vector<std::wstring>& names);
    int GetItemCount() const;
    std::wstring GetItemText(int index) const;
    // -1 when none is selected.
    int GetSelectedIndex() const;
    void Select(int index);
    // Chooses the item as the mouse or Enter does.
    void Choose(int index, bool byMouse);

    // Set while a choice puts its text into the box: the box's change
    // then refills the list without showing the drop-down.
    bool TakeChoosingFlag();

    static const int kItemHeight = 19;
    static const int kWidth = 180;

private:
    void Resize();
    // AddItem without sizing the window.
    void AppendItem(const std::wstring& text);
    VQOption* ItemAt(int index) const;

    VQSearchBox m_box;
    std::wstring m_itemAttributes;
    std::wstring m_listImage;
    bool m_choosing = false;
};

}  // namespace Tessar
