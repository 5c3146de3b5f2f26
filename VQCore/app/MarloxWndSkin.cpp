// Passing a skin change on: to the main window's open windows, and on a
// thread of its own to the sibling programs that run from this folder.

#include "VQCore/app/MarloxWnd.h"

#include <process.h>

#include <memory>

#include "VQCore/app/DialogWindow.h"
#include "VQCore/app/DetailsWnd.h"
#include "VQCore/app/PageTipWnd.h"
#include "VQCore/app/ScanWnd.h"
#include "VQCore/app/SearchWnd.h"
#include "VQCore/app/SiblingPrograms.h"
#include "VQCore/app/SkinSettingWnd.h"
#include "VQCore/gamelib/AppPaths.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

HANDLE g_siblingThread = nullptr;  // the last notification thread (UI thread only)

unsigned __stdcall NotifySiblingsThread(void* folder) {
    std::unique_ptr<std::wstring> path(static_cast<std::wstring*>(folder));
    NotifySiblingPrograms(*path);
    return 0;
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
    const VQWindowWnd* open[] = {m_pageTip, m_searchWindow, m_detailsWindow, m_scanWindow, m_skinWindow};
    for (const VQWindowWnd* window : open)
        if (window && ::IsWindow(window->GetHWND()))
            ::SendMessageW(window->GetHWND(), VQDialogWindow::kMsgReapplySkin, 0, 0);
    if (g_siblingThread) {
        ::WaitForSingleObject(g_siblingThread, INFINITE);
        ::CloseHandle(g_siblingThread);
        g_siblingThread = nullptr;
    }
    auto* folder = new std::wstring(ProgramFolder());
    const uintptr_t thread = _beginthreadex(nullptr, 0, &NotifySiblingsThread, folder, 0, nullptr);
    if (thread == 0)
        delete folder;
    else
        g_siblingThread = reinterpret_cast<HANDLE>(thread);
}

}  // namespace Tessar
