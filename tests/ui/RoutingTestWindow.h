#pragma once
// A skinned test window (VQWindowImplBase) whose tree the test builds in
// code, which records the notifications it receives, and a probe control
// that records the events it is given.

#include <windows.h>

#include <functional>
#include <vector>

#include "tests/ui/WindowInput.h"
#include "ui/Control.h"
#include "ui/WindowImplBase.h"

namespace Tessar {
namespace Test {

class VQRoutingWindow : public VQWindowImplBase {
public:
    // An unmanaged tool popup: without a window manager Wine waits for a
    // managed window to unmap when it is destroyed.
    VQRoutingWindow(HWND owner = nullptr, int width = 300, int height = 200, DWORD exStyle = WS_EX_TOOLWINDOW,
                    int x = 40, int y = 40);
    ~VQRoutingWindow() override;

    const wchar_t* GetWindowClassName() const override { return L"VQRoutingTestWnd"; }
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(VQNotifyMsg& msg) override { received.push_back(msg); }

    // Attaches the tree, registers the window as notifier and paints once.
    void Attach(VQControl* root);
    void Paint();
    int Count(int type, const VQControl* sender = nullptr) const;

    std::vector<VQNotifyMsg> received;
    // Runs for messages at and above WM_APP + 100, the tests' own.
    std::function<void(UINT message)> onTestMessage;
    std::function<void()> onDestroy;
};

class VQProbeControl : public VQControl {
public:
    VQProbeControl() = default;
    explicit VQProbeControl(int* deaths) : m_deaths(deaths) {}
    ~VQProbeControl() override;

    void DoEvent(VQEvent& event) override;
    void DoInit() override { ++inits; }
    void DoPaint(HDC hdc, const RECT& paintRect) override;
    HWND GetNativeHandle() const override { return m_nativeWindow; }

    int Count(int type) const;
    const VQEvent* Last(int type) const;

    std::vector<VQEvent> events;
    int inits = 0;
    std::vector<RECT> paints;
    // Fills the item rectangle with this premultiplied BGRA value when set.
    DWORD fill = 0;
    // A native child window the test gives the control.
    HWND m_nativeWindow = nullptr;

private:
    int* m_deaths = nullptr;
};

}  // namespace Test
}  // namespace Tessar
