// Passing a skin change on: to the main window's open windows, and on a
// thread of its own to the sibling programs that run from this folder.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <process.h>

#include <cwchar>
#include <memory>

#include "VQCore/app/windows/DialogWindow.h"
#include "VQCore/app/mainwindow/SiblingPrograms.h"
#include "VQCore/app/windows/SkinSettingWnd.h"
#include "VQCore/gamelib/AppPaths.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

unsigned __stdcall NotifySiblingsThread(void* folder) {
    std::unique_ptr<std::wstring> path(static_cast<std::wstring*>(folder));
    NotifySiblingPrograms(*path);
    return 0;
}

BOOL CALLBACK TellSkinChange(HWND hwnd, LPARAM mainWindow) {
    if (hwnd == reinterpret_cast<HWND>(mainWindow)) return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    // The toolkit's windows are the classes "VQ" + layout name; the message
    // means nothing to the others (menus, drop-downs) and is left to them.
    if (std::wcsncmp(name, L"VQ", 2) == 0) ::SendMessageW(hwnd, VQDialogWindow::kMsgReapplySkin, 0, 0);
    return TRUE;
}

std::wstring ProgramFolder() {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L"\\/"));
}

}  // namespace

// The chooser sits under the skin button, its right edge on the button's.
void VQMarloxWnd::ShowSkinChooser() {
    if (m_skinWindow && !::IsWindow(m_skinWindow->GetHWND())) {
        delete m_skinWindow;
        m_skinWindow = nullptr;
    }
    if (!m_skinWindow) {
        m_skinWindow = new VQSkinSettingWnd(m_hwnd, [this] {
            ChangeSkin(331, L"MarloxWnd", L"XML", GetSkinFolder(), SelectedSkinLayoutFile());
        });
        if (!::IsWindow(m_skinWindow->GetHWND())) return;
    }
    if (VQControl* button = m_paintManager.FindControlById(102)) {
        const RECT pos = button->GetPos();
        m_skinWindow->ShowAt(pos.right - 380, pos.bottom);
    }
    ::ShowWindow(m_skinWindow->GetHWND(), SW_SHOW);
    ::SetForegroundWindow(m_skinWindow->GetHWND());
}

void VQMarloxWnd::PassSkinChangeOn() {
    // Every skinned window of this thread, shown or kept hidden, modal
    // dialogs included: each takes the skin again with its own layout name.
    ::EnumThreadWindows(::GetCurrentThreadId(), &TellSkinChange, reinterpret_cast<LPARAM>(m_hwnd));
    // The thread holds its own folder text and only posts; nobody waits for
    // it (an earlier one may still be opening the processes).
    auto* folder = new std::wstring(ProgramFolder());
    const uintptr_t thread = _beginthreadex(nullptr, 0, &NotifySiblingsThread, folder, 0, nullptr);
    if (thread == 0)
        delete folder;
    else
        ::CloseHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace Tessar
