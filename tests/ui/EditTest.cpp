// The edit with its native window: opened by a click on the focused field,
// typing copied back into the control, Enter, Ctrl+A, the limits and the
// password settings reaching the window, and closing when the focus leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/RenderCanvas.h"
#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/TestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Button.h"
#include "ui/DialogBuilder.h"
#include "ui/Edit.h"
#include "ui/EditWnd.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using namespace Test;

// A window with two edits and a button, built from markup.
struct EditWindow {
    EditWindow() : window(nullptr, 300, 140), shot(nullptr) {
        shot.Reset(window.GetHWND());
        VQDialogBuilder builder;
        VQControl* root = builder.Create(
            L"<Window><Font font=\"text\" name=\"SimSun\" size=\"12\" default=\"true\" />"
            L"<VerticalLayout inset=\"10,10,10,10\" childpadding=\"8\">"
            L"<Edit name=\"e\" height=\"28\" text=\"abc\" maxchar=\"8\" normaltextpadding=\"4,2,4,2\" />"
            L"<Edit name=\"p\" height=\"28\" password=\"true\" passwordchar=\"#\" />"
            L"<Button name=\"b\" height=\"28\" text=\"按钮\" /></VerticalLayout></Window>",
            L"", MarkupFromMemory, L"", &window.GetPaintManager());
        window.Attach(root);
        edit = static_cast<VQEdit*>(window.GetPaintManager().FindControlByName(L"e"));
        password = static_cast<VQEdit*>(window.GetPaintManager().FindControlByName(L"p"));
        button = window.GetPaintManager().FindControlByName(L"b");
    }
    // Clicks the field until its native window is open (the first click focuses it).
    HWND Open(VQEdit* field) {
        PostClick(window.GetHWND(), CenterOf(field));
        PumpUntil([&] { return field->GetEditWindow() != nullptr; });
        return field->GetNativeHandle();
    }
    std::wstring NativeText(HWND hwnd) {
        wchar_t text[64] = {};
        ::GetWindowTextW(hwnd, text, 64);
        return text;
    }
    VQRoutingWindow window;
    VQScreenshotOnFailure shot;
    VQEdit* edit = nullptr;
    VQEdit* password = nullptr;
    VQControl* button = nullptr;
};

TEST(EditTest, TypingGoesIntoTheControlAndFocusLeavingClosesTheWindow) {
    EditWindow ew;
    ASSERT_NE(ew.edit, nullptr);
    HWND hwnd = ew.Open(ew.edit);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetParent(hwnd), ew.window.GetHWND());
    EXPECT_EQ(ew.window.GetPaintManager().FindControlByWindow(hwnd), ew.edit);
    EXPECT_EQ(ew.NativeText(hwnd), L"abc");
    DWORD start = 0, end = 0;
    ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u) << "the whole text is selected";
    EXPECT_EQ(::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0), 8);
    // The window lies inside the field, less its text padding.
    RECT item = ew.edit->GetPos();
    RECT native;
    ::GetWindowRect(hwnd, &native);
    ::MapWindowPoints(nullptr, ew.window.GetHWND(), reinterpret_cast<POINT*>(&native), 2);
    EXPECT_EQ(native.left, item.left + 4);
    EXPECT_EQ(native.right, item.right - 4);
    EXPECT_GE(native.top, item.top + 2);
    EXPECT_LE(native.bottom, item.bottom - 2);

    for (wchar_t ch : std::wstring(L"xy中")) ::PostMessageW(hwnd, WM_CHAR, ch, 1);
    ASSERT_TRUE(PumpUntil([&] { return ew.edit->GetText() == L"xy中"; })) << "text now " << ew.edit->GetText().size();

    // Ctrl+A selects everything and inserts nothing.
    ::SendMessageW(hwnd, EM_SETSEL, 1, 1);
    ::PostMessageW(hwnd, WM_CHAR, 1, 1);
    PumpPending();
    ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);
    EXPECT_EQ(ew.edit->GetText(), L"xy中");

    // Enter reports once and leaves the window open.
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return ew.window.Count(NotifyReturn, ew.edit) == 1; }));
    PumpPending();
    EXPECT_EQ(ew.window.Count(NotifyReturn, ew.edit), 1);
    EXPECT_TRUE(::IsWindow(hwnd));

    // Clicking elsewhere closes the window and keeps the typed text.
    PostClick(ew.window.GetHWND(), CenterOf(ew.button));
    ASSERT_TRUE(PumpUntil([&] { return ew.edit->GetEditWindow() == nullptr; }));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(ew.edit->GetText(), L"xy中");
    EXPECT_EQ(ew.edit->GetNativeHandle(), nullptr);
}

TEST(EditTest, SettingsReachAnOpenWindow) {
    EditWindow ew;
    HWND hwnd = ew.Open(ew.password);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(::SendMessageW(hwnd, EM_GETPASSWORDCHAR, 0, 0), L'#');
    ew.password->SetPasswordChar(L'*');
    EXPECT_EQ(::SendMessageW(hwnd, EM_GETPASSWORDCHAR, 0, 0), L'*');
    ew.password->SetAttribute(L"maxchar", L"4");
    EXPECT_EQ(::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0), 4);
    ew.password->SetAttribute(L"readonly", L"true");
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY);
    ew.password->SetText(L"secret");
    EXPECT_EQ(ew.NativeText(hwnd), L"secret");
    EXPECT_EQ(ew.password->GetText(), L"secret");
    // The window follows the field when it moves.
    RECT item = ew.password->GetPos();
    ew.password->SetPos(item.left + 20, item.top, item.right, item.bottom);
    RECT native;
    ::GetWindowRect(hwnd, &native);
    ::MapWindowPoints(nullptr, ew.window.GetHWND(), reinterpret_cast<POINT*>(&native), 2);
    EXPECT_EQ(native.left, item.left + 20);
}

TEST(EditTest, DisabledFieldOpensNothingAndFreeingTheFieldClosesItsWindow) {
    EditWindow ew;
    ew.edit->SetEnabled(false);
    PostClick(ew.window.GetHWND(), CenterOf(ew.edit));
    PostClick(ew.window.GetHWND(), CenterOf(ew.edit));
    PumpPending();
    EXPECT_EQ(ew.edit->GetEditWindow(), nullptr);
    ew.edit->SetEnabled(true);
    HWND hwnd = ew.Open(ew.edit);
    ASSERT_NE(hwnd, nullptr);
    // The field goes while its window is open: the window goes with it.
    auto* parent = static_cast<VQContainer*>(ew.edit->GetParent());
    ASSERT_TRUE(parent->Remove(ew.edit));
    EXPECT_FALSE(::IsWindow(hwnd));
    PumpPending();
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

// Paints a lone edit with the given settings into a canvas of its own.
std::vector<uint32_t> PaintEdit(VQPaintManager& manager, const wchar_t* text, bool password) {
    VQEdit edit;
    edit.SetManager(&manager);
    edit.SetAttribute(L"text", text);
    edit.SetAttribute(L"password", password ? L"true" : L"false");
    edit.SetAttribute(L"normaltextcolor", L"#FF000000");
    edit.SetPos(0, 0, 120, 24);
    Tessar::Test::VQRenderCanvas canvas(120, 24, 0xFFFFFFFF);
    RECT all = {0, 0, 120, 24};
    edit.DoPaint(canvas.DC(), all);
    return std::vector<uint32_t>(canvas.Bits(), canvas.Bits() + 120 * 24);
}

TEST(EditTest, ClosedPasswordFieldPaintsItsMaskNotItsText) {
    Tessar::Test::VQTestWindow window(200, 60);
    VQPaintManager& manager = window.Manager();
    std::vector<uint32_t> masked = PaintEdit(manager, L"abc", true);
    std::vector<uint32_t> stars = PaintEdit(manager, L"***", false);
    std::vector<uint32_t> plain = PaintEdit(manager, L"abc", false);
    EXPECT_EQ(masked, stars);
    EXPECT_NE(masked, plain);
    EXPECT_NE(plain, PaintEdit(manager, L"", false)) << "text is drawn at all";
}

}  // namespace
}  // namespace Tessar
