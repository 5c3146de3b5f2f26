#pragma once
// The main window's layout (resource 226, "MarloxWnd") built in a plain
// window with the application's control factory and the built-in style,
// painted into a memory bitmap: the in-process tests check pixels and save
// screenshots of the pages with it, the tile benchmark times it.

#include <windows.h>

#include <string>
#include <vector>

#include "VQCore/app/start/ControlFactory.h"
#include "tools/imageencode/BitmapCanvas.h"
#include "ui/Event.h"
#include "ui/PaintManager.h"

namespace Tessar {

class VQGameIcon;
class VQIconList;

namespace Bench {

class VQMainLayoutHost : public INotify {
public:
    VQMainLayoutHost(int width = 960, int height = 660);
    ~VQMainLayoutHost() override;
    VQMainLayoutHost(const VQMainLayoutHost&) = delete;
    VQMainLayoutHost& operator=(const VQMainLayoutHost&) = delete;

    bool IsBuilt() const { return m_root != nullptr; }
    HWND Handle() const { return m_hwnd; }
    VQPaintManager& Manager() { return m_manager; }
    VQIconList* List(int id);
    // Shows the page of the main tab (0 installed ... 4 downloads) and, for
    // the game library, the page of its tab (0 single ... 4 search), as
    // the main window does on a tab's selection.
    void ShowPage(int mainIndex, int libraryIndex = 0);
    // Lays the tree out at the window's size.
    void Layout();
    // Paints the whole tree into the memory bitmap (laid out first).
    void PaintToMemory();
    // What a window's own paint does besides drawing: the window is valid
    // again, and its manager, finding no update left, asks the window
    // system afresh for each part that changes next. A timing of changes
    // that left this out would count fewer repaint requests than a window
    // makes.
    void ValidateAsPainted();
    // 0xAARRGGBB of the memory bitmap at client point (x, y).
    uint32_t PixelAt(int x, int y) const;
    HDC MemoryDC() const { return m_canvas.DC(); }
    // The memory bitmap as a PNG file.
    bool SavePng(const std::wstring& path) const;

    void Notify(VQNotifyMsg& msg) override { m_notes.push_back(msg); }
    std::vector<VQNotifyMsg> m_notes;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    VQPaintManager m_manager;
    VQDialogBuilderCallbackEx m_factory;
    HWND m_hwnd = nullptr;
    VQControl* m_root = nullptr;
    int m_width;
    int m_height;
    VQBitmapCanvas m_canvas;
};

// A tile of a catalogue game as the page filling makes it.
VQGameIcon* MakeDemoTile(uint32_t id, const std::wstring& name, uint32_t state);
// Names like the catalogue's, for pages that look alive.
std::wstring DemoGameName(uint32_t index);

}  // namespace Bench
}  // namespace Tessar
