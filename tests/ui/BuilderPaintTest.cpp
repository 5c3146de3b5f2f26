// The test skin's window as the user sees it: built from the layout with
// the skin's pictures, painted into a memory DC, with the colours of the
// button states, the progress fill and the enciphered logo where the
// layout puts them.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/RenderCanvas.h"
#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/SkinFixture.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManager.h"
#include "ui/Progress.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using namespace Test;

// Points the skin manager at the test skin for the life of the object.
class SkinFolderScope {
public:
    SkinFolderScope() : m_saved(VQSkinManager::Instance().GetResourceFolder()) {
        VQSkinManager::Instance().SetResourceFolder(TestSkinFolder());
    }
    ~SkinFolderScope() { VQSkinManager::Instance().SetResourceFolder(m_saved); }

private:
    std::wstring m_saved;
};

// A screen position for a window of the given size that the mouse pointer
// is not over: the display's pointer is shared, and the system's own moves
// at its position would take the hover away from the posted ones.
POINT AwayFromPointer(int width, int height) {
    POINT cursor = {0, 0};
    ::GetCursorPos(&cursor);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    const POINT candidates[] = {{40, 40},
                                {cursor.x + 16, cursor.y + 16},
                                {cursor.x - 16 - width, cursor.y - 16 - height},
                                {cursor.x + 16, cursor.y - 16 - height},
                                {cursor.x - 16 - width, cursor.y + 16}};
    for (const POINT& at : candidates) {
        bool onScreen = at.x >= 0 && at.y >= 0 && at.x + width <= screenWidth && at.y + height <= screenHeight;
        bool underPointer = cursor.x >= at.x - 8 && cursor.x < at.x + width + 8 && cursor.y >= at.y - 8 &&
                            cursor.y < at.y + height + 8;
        if (onScreen && !underPointer) return at;
    }
    return candidates[0];
}

struct SkinPaintWindow {
    SkinPaintWindow()
        : at(AwayFromPointer(480, 360)),
          window(nullptr, 480, 360, WS_EX_TOOLWINDOW, at.x, at.y),
          shot(window.GetHWND()),
          canvas(480, 360) {
        VQDialogBuilder builder;
        root = builder.Create(TestSkinPath(L"MarloxWnd.xml"), L"TestWnd", MarkupFromFile, L"", &window.GetPaintManager());
        if (root) window.Attach(root);
    }
    void PaintToCanvas() {
        RECT all = {0, 0, 480, 360};
        root->DoPaint(canvas.DC(), all);
    }
    VQControl* Find(const wchar_t* name) { return window.GetPaintManager().FindControlByName(name); }
    SkinFolderScope skin;
    POINT at;
    VQRoutingWindow window;
    VQScreenshotOnFailure shot;
    VQRenderCanvas canvas;
    VQControl* root = nullptr;
};

TEST(BuilderPaintTest, TestSkinWindowPaintsItsPictures) {
    SkinPaintWindow sw;
    ASSERT_NE(sw.root, nullptr);
    auto* progress = static_cast<VQProgress*>(sw.Find(L"progress"));
    progress->SetValue(50);
    sw.PaintToCanvas();

    VQControl* ok = sw.Find(L"okbtn");
    RECT okRect = ok->GetPos();
    ASSERT_GT(okRect.right - okRect.left, 20);
    // Inside the nine-grid's centre, away from the centred caption.
    EXPECT_EQ(sw.canvas.Rgb(okRect.left + 6, okRect.top + 6), 0x3B6EA5u) << "button normal";
    EXPECT_EQ(sw.canvas.Rgb(okRect.left, okRect.top + 12), 0x1E3A5Cu) << "button frame";
    VQControl* disabled = sw.Find(L"disabledbtn");
    EXPECT_EQ(sw.canvas.Rgb(disabled->GetPos().left + 6, disabled->GetPos().top + 6), 0x8A8F96u) << "button disabled";

    RECT bar = progress->GetPos();
    int middle = (bar.top + bar.bottom) / 2;
    int innerWidth = bar.right - bar.left - 2;
    int fillEnd = bar.left + 1 + innerWidth / 2;
    uint32_t filled = sw.canvas.Rgb(bar.left + 8, middle);
    EXPECT_GT((filled >> 8) & 0xFF, (filled >> 16) & 0xFF) << "green fill on the left";
    EXPECT_EQ(sw.canvas.Rgb(fillEnd - 2, middle), filled) << "fill reaches half way";
    EXPECT_EQ(sw.canvas.Rgb(fillEnd + 4, middle), 0xD8DEE6u) << "track on the right";

    // The enciphered logo: its checker's first colour in the top-left cell.
    VQControl* logo = sw.Find(L"logo");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(sw.canvas.Rgb(logo->GetPos().left + 1, logo->GetPos().top + 1), 0xE0A020u) << "logo.vqp deciphered";

    // The content area's own colour between the controls.
    VQControl* content = sw.Find(L"content");
    EXPECT_EQ(sw.canvas.Rgb(content->GetPos().left + 4, content->GetPos().top + 4), 0xF4F6F9u);
}

TEST(BuilderPaintTest, HoverAndPressShowTheButtonStates) {
    SkinPaintWindow sw;
    ASSERT_NE(sw.root, nullptr);
    sw.window.GetPaintManager().SetTrackMouseEventProc(&VQMouseTrackRecorder::Track);
    VQControl* ok = sw.Find(L"okbtn");
    POINT probe = {ok->GetPos().left + 6, ok->GetPos().top + 6};
    PostMouseMove(sw.window.GetHWND(), CenterOf(ok));
    ASSERT_TRUE(PumpUntil([&] { return (ok->m_state & StateHot) != 0; }));
    sw.PaintToCanvas();
    EXPECT_EQ(sw.canvas.Rgb(probe.x, probe.y), 0x4F86C6u) << "hot";
    PostMouse(sw.window.GetHWND(), WM_LBUTTONDOWN, CenterOf(ok), MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return (ok->m_state & StatePushed) != 0; }));
    sw.PaintToCanvas();
    EXPECT_EQ(sw.canvas.Rgb(probe.x, probe.y), 0x2A5384u) << "pushed";
    PostMouse(sw.window.GetHWND(), WM_LBUTTONUP, CenterOf(ok));
    ASSERT_TRUE(PumpUntil([&] { return sw.window.Count(NotifyClick, ok) == 1; }));
}

}  // namespace
}  // namespace Tessar
