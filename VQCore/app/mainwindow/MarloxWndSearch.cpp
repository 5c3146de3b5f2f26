// The search box of the main window: the hint text while it is empty, and
// the drop-down of matching names while the user types. The search itself
// (Enter, the search button, a chosen name) is the page filters'.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <memory>
#include <new>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/windows/SearchWnd.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/QueryData.h"
#include "common/PathText.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

// Kept between keystrokes: it searches a copy of the index (UI thread only).
std::unique_ptr<VQQueryData> g_nameQuery;

bool SearchNames(const std::wstring& text, std::vector<VQSearchResult>& results) {
    if (!g_nameQuery) g_nameQuery.reset(new (std::nothrow) VQQueryData());
    if (!g_nameQuery) return false;
    const std::wstring index = GetSearchIndexPath();
    if (!FileExists(index) && !g_nameQuery->RebuildIndex(index, GetDatabasePath())) return false;
    return g_nameQuery->Search(index, text, results);
}

}  // namespace

void VQMarloxWnd::OnSearchBoxFocus(bool focused) {
    VQControl* box = m_paintManager.FindControlById(IdSearchBox);
    if (!box) return;
    const std::wstring hint = TileString(StrSearchPlaceholder);
    if (focused && box->GetText() == hint) box->SetText(std::wstring());
    if (!focused && box->GetText().empty()) box->SetText(hint);
    if (!focused && m_searchWindow && ::GetFocus() != m_searchWindow->GetHWND())
        ::ShowWindow(m_searchWindow->GetHWND(), SW_HIDE);
    box->Invalidate();
}

void VQMarloxWnd::OnSearchTextChanged() {
    VQControl* box = m_paintManager.FindControlById(IdSearchBox);
    if (!box) return;
    const std::wstring text = box->GetText();
    if (text.empty() || text == TileString(StrSearchPlaceholder)) {
        if (m_searchWindow) ::ShowWindow(m_searchWindow->GetHWND(), SW_HIDE);
        return;
    }
    if (!m_searchWindow) {
        VQSearchBox hooks;
        hooks.getText = [box] { return box->GetText(); };
        hooks.setText = [box](const std::wstring& value) {
            box->SetText(value);
            box->Invalidate();
        };
        hooks.runSearch = [this](const std::wstring&) { ShowSearchResults(); };
        m_searchWindow = new VQSearchWnd(hooks);
    }
    std::vector<VQSearchResult> results;
    SearchNames(text, results);
    std::vector<std::wstring> names;
    names.reserve(results.size());
    for (const VQSearchResult& result : results) names.push_back(result.name);
    // The same names as before: the drop-down keeps its rows and paints nothing again.
    const bool changed = m_searchWindow->SetItems(names);
    // The text a choice put there: the list is new, the drop-down stays away.
    if (m_searchWindow->TakeChoosingFlag()) {
        ::ShowWindow(m_searchWindow->GetHWND(), SW_HIDE);
        return;
    }
    const RECT pos = box->GetPos();
    POINT below = {pos.left, pos.bottom};
    ::ClientToScreen(m_hwnd, &below);
    ::SetWindowPos(m_searchWindow->GetHWND(), HWND_TOPMOST, below.x, below.y, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (changed) ::InvalidateRect(m_searchWindow->GetHWND(), nullptr, FALSE);
    ::UpdateWindow(m_searchWindow->GetHWND());
}

void VQMarloxWnd::HideSearchWindow() {
    if (m_searchWindow && ::IsWindow(m_searchWindow->GetHWND())) ::ShowWindow(m_searchWindow->GetHWND(), SW_HIDE);
}

// Up and down in the search box move through the drop-down's names.
bool VQMarloxWnd::MoveSearchSelection(UINT key) {
    if (!IsSearchWindowShown()) return false;
    VQControl* focus = m_paintManager.GetFocus();
    if (!focus || focus->GetId() != IdSearchBox) return false;
    ::SendMessageW(m_searchWindow->GetHWND(), WM_KEYDOWN, key, 0);
    return true;
}

// Enter in the box while a name of the drop-down is picked chooses it.
bool VQMarloxWnd::ChooseSearchSelection() {
    if (!IsSearchWindowShown() || m_searchWindow->GetSelectedIndex() < 0) return false;
    ::SendMessageW(m_searchWindow->GetHWND(), WM_KEYDOWN, VK_RETURN, 0);
    return true;
}

bool VQMarloxWnd::IsSearchWindowShown() const {
    return m_searchWindow && ::IsWindowVisible(m_searchWindow->GetHWND());
}

}  // namespace Tessar
