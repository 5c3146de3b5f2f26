#pragma once
// A game's details from the details server in a hosted web view: four
// sections (introduction, pictures, guides, comments), each a tab shown
// only when the game's Status says the server has it. Kept by the main
// window and hidden, not closed.

#include <cstdint>
#include <string>

#include "VQCore/app/windows/DialogWindow.h"
#include "ui/ActiveXEventSink.h"

namespace Tessar {

// "<base>/<section>/<id, 5 digits>.html?<random>" for tab 0-3; empty for
// another tab. The base is the details server of the address table.
std::wstring DetailsAddress(const std::wstring& base, int tab, uint32_t gameId, int random);

class VQDetailsWnd : public VQDialogWindow, public VQActiveXDispatch {
public:
    VQDetailsWnd();
    ~VQDetailsWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQDetailsWnd"; }
    void Notify(VQNotifyMsg& msg) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // The game and the first characters of its Status (section flags first).
    void ShowGame(uint32_t gameId, const std::string& status);
    // Shows tab `index`'s page; false when nothing is loaded for it.
    bool ShowTab(int index);
    bool IsSectionShown(int index) const;
    // True while the loading picture stands in for the page.
    bool IsLoading() const;
    const std::wstring& GetLastAddress() const { return m_lastAddress; }

    // The hosted browser reports its progress; -1: the page is complete.
    void OnProgressChange(LONG progress, LONG maximum) override;

private:
    uint32_t m_gameId = 0;
    char m_sections[4] = {'0', '0', '0', '0'};
    std::wstring m_lastAddress;
    VQActiveXEventSink* m_sink = nullptr;
    bool m_sinkConnected = false;
};

}  // namespace Tessar
