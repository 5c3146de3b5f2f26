#include "tests/VQCore/app/DialogTestDriver.h"

#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Control.h"

namespace Tessar {
namespace Test {

namespace {

// A thread timer has no context: the one modal run of this thread keeps its state here.
struct VQModalRun {
    VQDialogWindow* dialog = nullptr;
    int readyId = 0;
    std::wstring name;
    std::function<void()> play;
    bool played = false;
    bool timedOut = false;
    DWORD start = 0;
    DWORD limit = 0;
};
thread_local VQModalRun* t_run = nullptr;

void CALLBACK OnDriverTick(HWND, UINT, UINT_PTR, DWORD) {
    VQModalRun* run = t_run;
    if (!run || !run->dialog) return;
    HWND hwnd = run->dialog->GetHWND();
    if (!::IsWindow(hwnd)) return;
    if (::GetTickCount() - run->start > run->limit) {
        run->timedOut = true;
        ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    if (run->played) return;
    const POINT center = ControlCenter(*run->dialog, run->readyId);
    if (center.x < 0) return;
    run->played = true;
    ::UpdateWindow(hwnd);
    KeepScreenshot(hwnd, run->name);
    if (run->play) run->play();
}

}  // namespace

POINT ControlCenter(VQDialogWindow& dialog, int id) {
    VQControl* control = dialog.Find(id);
    if (!control || !control->IsVisible()) return POINT{-1, -1};
    const RECT pos = control->GetPos();
    if (pos.right <= pos.left || pos.bottom <= pos.top) return POINT{-1, -1};
    return POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
}

bool ClickControl(VQDialogWindow& dialog, int id) {
    const POINT center = ControlCenter(dialog, id);
    if (center.x < 0) return false;
    PostClick(dialog.GetHWND(), center);
    return true;
}

bool KeepScreenshot(HWND hwnd, const std::wstring& name) {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"app-screenshots";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return SaveWindowPng(hwnd, folder + L"\\" + name + L".png");
}

bool RunModal(VQDialogWindow& dialog, int readyId, const std::wstring& name, const std::function<void()>& play,
              DWORD limitMs) {
    VQModalRun run;
    run.dialog = &dialog;
    run.readyId = readyId;
    run.name = name;
    run.play = play;
    run.start = ::GetTickCount();
    run.limit = limitMs;
    VQModalRun* previous = t_run;
    t_run = &run;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &OnDriverTick);
    const bool shown = dialog.ShowModal();
    ::KillTimer(nullptr, timer);
    t_run = previous;
    return shown && run.played && !run.timedOut;
}

namespace {

thread_local VQDialogAnswerer* t_answerer = nullptr;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM result) {
    auto* object = reinterpret_cast<VQWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!object || !::IsWindowVisible(hwnd)) return TRUE;
    if (auto* dialog = dynamic_cast<VQDialogWindow*>(object)) {
        *reinterpret_cast<VQDialogWindow**>(result) = dialog;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

VQDialogAnswerer::VQDialogAnswerer(const std::wstring& name, int clickId, std::vector<int> before)
    : m_name(name), m_clickId(clickId), m_before(std::move(before)) {
    t_answerer = this;
    m_timer = ::SetTimer(nullptr, 0, 20, &VQDialogAnswerer::OnTick);
}

VQDialogAnswerer::~VQDialogAnswerer() {
    ::KillTimer(nullptr, m_timer);
    if (t_answerer == this) t_answerer = nullptr;
}

void CALLBACK VQDialogAnswerer::OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (t_answerer) t_answerer->Tick();
}

bool VQDialogAnswerer::WasShown(int id) const {
    for (const auto& c : m_controls)
        if (c.first == id) return (c.second & 1) != 0;
    return false;
}

bool VQDialogAnswerer::WasEnabled(int id) const {
    for (const auto& c : m_controls)
        if (c.first == id) return (c.second & 2) != 0;
    return false;
}

void VQDialogAnswerer::Tick() {
    if (m_answered) return;
    VQDialogWindow* dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || ControlCenter(*dialog, m_clickId).x < 0) return;
    m_answered = true;
    m_className = dialog->GetWindowClassName();
    if (VQControl* caption = dialog->Find(101)) m_caption = caption->GetText();
    if (VQControl* text = dialog->Find(106)) m_text = text->GetText();
    for (int id = 100; id <= 140; ++id) {
        if (VQControl* control = dialog->Find(id))
            m_controls.emplace_back(id, (control->IsVisible() ? 1 : 0) | (control->IsEnabled() ? 2 : 0));
    }
    ::UpdateWindow(dialog->GetHWND());
    KeepScreenshot(dialog->GetHWND(), m_name);
    for (int id : m_before) ClickControl(*dialog, id);
    ClickControl(*dialog, m_clickId);
}

}  // namespace Test
}  // namespace Tessar
