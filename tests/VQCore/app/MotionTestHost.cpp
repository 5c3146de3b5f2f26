#include "tests/VQCore/app/MotionTestHost.h"

#include <algorithm>

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/pages/IconListPage.h"
#include "VQCore/app/mainwindow/TabPages.h"
#include "tests/ui/WindowInput.h"
#include "ui/Container.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {
namespace Test {

VQMotionTestHost::VQMotionTestHost() : m_slide(Manager()), m_moves(Manager()), m_filters(&Manager()) {}

void VQMotionTestHost::Notify(VQNotifyMsg& msg) {
    VQMainLayoutHost::Notify(msg);
    switch (msg.type) {
    case NotifySelectionChanged: {
        VQTabCtrl* tabs = msg.sender ? static_cast<VQTabCtrl*>(msg.sender->GetInterface(ControlTypeTab)) : nullptr;
        if (!tabs) break;
        ShowSelectedTabPage(Manager(), *tabs);
        if (slideOn) m_slide.OnPageSelected(*tabs, &m_filters);
        break;
    }
    case NotifyItemSelect:
        m_filters.OnPageFilterSelected(msg);
        break;
    case NotifyAnimationStep:
        m_steps.push_back(msg.sender);
        if (m_slide.OnAnimationStep(msg.sender) || m_moves.OnAnimationStep(msg.sender)) {
            ++ended;
            if (onEnded) onEnded();
        }
        break;
    case NotifyTileDroppedBetween:
    case NotifyTileDroppedOnto: {
        auto* page = msg.sender ? static_cast<VQIconListPage*>(msg.sender->GetInterface(ControlTypeIconListPage))
                                : nullptr;
        if (page)
            m_moves.OnTileDropped(page, msg.type == NotifyTileDroppedOnto, static_cast<int>(msg.wParam),
                                  static_cast<int>(msg.lParam));
        break;
    }
    default:
        break;
    }
}

void VQMotionTestHost::Show() {
    Layout();
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(Handle());
    PumpPending();
}

VQTabCtrl* VQMotionTestHost::Tabs(int id) {
    VQControl* control = Find(id);
    return control ? static_cast<VQTabCtrl*>(control->GetInterface(ControlTypeTab)) : nullptr;
}

RECT VQMotionTestHost::AreaOf(VQControl* container) {
    VQContainer* box = container ? static_cast<VQContainer*>(container->GetInterface(ControlTypeContainer)) : nullptr;
    return box ? box->GetClientArea() : RECT{0, 0, 0, 0};
}

bool VQMotionTestHost::PumpEachUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!VQPaintManager::PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

int VQMotionTestHost::StepsFrom(const VQControl* control) const {
    return static_cast<int>(std::count(m_steps.begin(), m_steps.end(), control));
}

}  // namespace Test
}  // namespace Tessar
