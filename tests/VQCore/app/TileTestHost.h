#pragma once
// A real window whose paint manager holds a main-window-like tree built
// from markup with the application's control factory: icon lists, the tile
// tool bar and a search box. Records notifications and the tile messages
// posted to the window.

#include <windows.h>

#include <string>
#include <vector>

#include "VQCore/app/start/ControlFactory.h"
#include "ui/Event.h"
#include "ui/PaintManager.h"

namespace Tessar {

class VQGameIcon;
class VQIconList;

namespace Test {

class VQTileTestHost : public INotify {
public:
    // `lists` is markup placed inside the root layout.
    explicit VQTileTestHost(const std::wstring& lists, int width = 960, int height = 600);
    ~VQTileTestHost() override;

    HWND Handle() const { return m_hwnd; }
    VQPaintManager& Manager() { return m_manager; }
    VQIconList* List(int id);
    void Notify(VQNotifyMsg& msg) override {
        m_notes.push_back(msg);
        m_noteThreads.push_back(::GetCurrentThreadId());
    }

    // Pumps messages until `done` or the time is up.
    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 10000) {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > timeoutMs) return false;
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }
    // Lays the window out and paints it once.
    void Paint();

    std::vector<VQNotifyMsg> m_notes;
    std::vector<DWORD> m_noteThreads;
    // (message, wParam) of the tile messages that reached the window.
    std::vector<std::pair<UINT, WPARAM>> m_tileMessages;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    VQPaintManager m_manager;
    VQDialogBuilderCallbackEx m_factory;
    HWND m_hwnd = nullptr;
};

// The markup of an icon list as the main window declares its pages.
std::wstring IconListMarkup(int id, const wchar_t* name, int rows, int columns);
// The hover tool bar with its eight buttons.
std::wstring ToolBarMarkup();
// A tile in `state` for game `id` named `name`, not yet on a list.
VQGameIcon* MakeTile(uint32_t id, const std::wstring& name, uint32_t state);
// The game ids of the tiles on a list's page (1-based), in cell order.
std::vector<uint32_t> IdsOnPage(VQIconList& list, int page);

}  // namespace Test
}  // namespace Tessar
