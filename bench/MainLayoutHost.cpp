#include "bench/MainLayoutHost.h"


#include <string>

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/mainwindow/TabPages.h"
#include "ui/DialogBuilder.h"
#include "ui/TabCtrl.h"
#include "tools/imageencode/ImageEncode.h"

namespace Tessar {
namespace Bench {

namespace {

const wchar_t kClassName[] = L"VQMainLayoutHost";

VQTabCtrl* TabById(VQPaintManager& manager, int id) {
    VQControl* control = manager.FindControlById(id);
    return control ? static_cast<VQTabCtrl*>(control->GetInterface(ControlTypeTab)) : nullptr;
}

}  // namespace

VQMainLayoutHost::VQMainLayoutHost(int width, int height)
    : m_width(width), m_height(height), m_canvas(width, height) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &VQMainLayoutHost::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassExW(&wc);
    // An unmanaged popup: Wine destroys it without waiting for a window manager.
    m_hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Tovana", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                               wc.hInstance, this);
    m_manager.Init(m_hwnd);
    VQDialogBuilder builder;
    m_root = builder.Create(L"#226", L"MarloxWnd", MarkupFromResource, L"XML", &m_manager, &m_factory);
    if (m_root) {
        m_manager.AttachRootControl(m_root);
        m_manager.AddNotifier(this);
        m_manager.LoadStyle(L"#331", L"MarloxWnd", MarkupFromResource);
    }
}

VQMainLayoutHost::~VQMainLayoutHost() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
}

VQIconList* VQMainLayoutHost::List(int id) {
    VQControl* control = m_manager.FindControlById(id);
    return control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
}

void VQMainLayoutHost::ShowPage(int mainIndex, int libraryIndex) {
    // As the main window does on a tab's selection.
    if (VQTabCtrl* tab = TabById(m_manager, IdMainTab)) {
        tab->SelectItem(mainIndex);
        ShowSelectedTabPage(m_manager, *tab);
    }
    if (VQTabCtrl* tab = TabById(m_manager, IdLibraryTab)) {
        if (libraryIndex == 4) tab->GetItemAt(4)->SetVisible(true);
        tab->SelectItem(libraryIndex);
        ShowSelectedTabPage(m_manager, *tab);
    }
}

void VQMainLayoutHost::Layout() {
    if (!m_root) return;
    m_root->SetPos(0, 0, m_width, m_height);
}

void VQMainLayoutHost::PaintToMemory() {
    if (!m_root || !m_canvas.DC()) return;
    if (m_root->IsUpdateNeeded()) Layout();
    const RECT all = {0, 0, m_width, m_height};
    m_manager.PaintTree(m_canvas.DC(), all);
}

void VQMainLayoutHost::ValidateAsPainted() {
    ::ValidateRect(m_hwnd, nullptr);
    ::SendMessageW(m_hwnd, WM_PAINT, 0, 0);
}

uint32_t VQMainLayoutHost::PixelAt(int x, int y) const {
    if (!m_canvas.IsValid() || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_canvas.Pixels()[y * m_width + x] | 0xFF000000u;
}

bool VQMainLayoutHost::SavePng(const std::wstring& path) const {
    if (!m_canvas.IsValid()) return false;
    std::string png;
    if (!EncodePng(m_canvas.OpaqueRgba().data(), m_width, m_height, png)) return false;
    return WriteImageFile(path, png);
}

LRESULT CALLBACK VQMainLayoutHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<VQMainLayoutHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->m_manager.GetPaintWindow() == hwnd) {
        LRESULT result = 0;
        if (self->m_manager.MessageHandler(message, wParam, lParam, result)) return result;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

VQGameIcon* MakeDemoTile(uint32_t id, const std::wstring& name, uint32_t state) {
    VQGameIcon* tile = new VQGameIcon();
    tile->SetGameId(id);
    tile->SetText(name);
    tile->SetImage(GameIconDescription(id));
    tile->SetState(state);
    return tile;
}

std::wstring DemoGameName(uint32_t index) {
    static const wchar_t* const kFirst[] = {L"星际", L"仙剑", L"武林", L"赤壁", L"龙腾", L"幻想", L"梦回",
                                            L"天涯", L"风云", L"江湖", L"三国", L"西游"};
    static const wchar_t* const kSecond[] = {L"争霸", L"奇缘", L"传说", L"远征", L"英雄", L"online", L"世界",
                                             L"物语", L"战记", L"群侠传", L"大冒险"};
    return std::wstring(kFirst[index % 12]) + kSecond[(index / 12 + index) % 11];
}

}  // namespace Bench
}  // namespace Tessar
