#include "tests/VQCore/app/TileTestHost.h"

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "common/FormatText.h"
#include "ui/DialogBuilder.h"

namespace Tessar {
namespace Test {

namespace {
const wchar_t kClassName[] = L"VQTileTestWindow";
}

VQTileTestHost::VQTileTestHost(const std::wstring& lists, int width, int height) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &VQTileTestHost::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);
    // An unmanaged popup: Wine destroys it without waiting for a window manager.
    m_hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"tiles", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                               wc.hInstance, this);
    m_manager.Init(m_hwnd);
    const std::wstring markup = FormatString(L"<Window size=\"%d,%d\"><VerticalLayout name=\"root\">", width, height) +
                                lists + L"</VerticalLayout></Window>";
    VQDialogBuilder builder;
    VQControl* root = builder.Create(markup, L"", MarkupFromMemory, L"", &m_manager, &m_factory);
    m_manager.AttachRootControl(root);
    m_manager.AddNotifier(this);
    ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    Paint();
}

VQTileTestHost::~VQTileTestHost() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
}

VQIconList* VQTileTestHost::List(int id) {
    VQControl* control = m_manager.FindControlById(id);
    return control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
}

void VQTileTestHost::Paint() {
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    ::UpdateWindow(m_hwnd);
}

LRESULT CALLBACK VQTileTestHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<VQTileTestHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == kMsgTileCompletion) {
        DeliverTileCompletion(&self->m_manager, wParam, lParam);
        return 0;
    }
    if (self && (message == kMsgTileDownloaded || message == kMsgTileInstallFinished)) {
        self->m_tileMessages.emplace_back(message, wParam);
        return 0;
    }
    if (self && self->m_manager.GetPaintWindow() == hwnd) {
        LRESULT result = 0;
        if (self->m_manager.MessageHandler(message, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring IconListMarkup(int id, const wchar_t* name, int rows, int columns) {
    return FormatString(L"<IconList id=\"%d\" name=\"%s\" numberofrow=\"%d\" numberofcolumn=\"%d\" itemwidth=\"92\" "
                        L"itemheight=\"97\" linespacing=\"12\" columnspacing=\"-1\" pageinset=\"20,0,0,0\" "
                        L"control=\"height=&quot;23&quot;\" tabitem=\"width=&quot;20&quot; height=&quot;20&quot;\" />",
                        id, name, rows, columns);
}

std::wstring ToolBarMarkup() {
    std::wstring markup = L"<GameIconToolBar id=\"179\" float=\"true\" visible=\"false\" width=\"83\" height=\"17\" "
                          L"childpadding=\"1\">";
    for (int id = 142; id <= 149; ++id)
        markup += FormatString(L"<Control id=\"%d\" width=\"20\" dispatch=\"mouseenter mouseleave activate\" />", id);
    return markup + L"</GameIconToolBar>";
}

VQGameIcon* MakeTile(uint32_t id, const std::wstring& name, uint32_t state) {
    VQGameIcon* tile = new VQGameIcon();
    tile->SetGameId(id);
    tile->SetText(name);
    tile->SetState(state);
    return tile;
}

std::vector<uint32_t> IdsOnPage(VQIconList& list, int page) {
    std::vector<uint32_t> ids;
    VQContainer* context = reinterpret_cast<VQContainer*>(list.GetContext());
    if (!context || page < 1 || page > context->GetCount()) return ids;
    VQContainer* container = static_cast<VQContainer*>(context->GetItemAt(page - 1)->GetInterface(ControlTypeContainer));
    for (int i = 0; i < container->GetCount(); ++i) {
        VQControl* item = container->GetItemAt(i);
        VQGameIcon* tile = static_cast<VQGameIcon*>(item->GetInterface(ControlTypeGameIcon));
        if (tile) ids.push_back(tile->IsAddTile() ? 0 : tile->GetGameId());
    }
    return ids;
}

}  // namespace Test
}  // namespace Tessar
