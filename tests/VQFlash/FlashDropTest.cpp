// Dropping files on the Flash player: only a file list whose first file
// is a .swf is accepted, and a dropped movie replaces the one playing. The
// drop target hands each drag step to the window as a message; these tests
// send the same messages with a shell-like file list.

#include "VQFlash/FlashWnd.h"

#include "tests/VQFlash/GameWindowTestSupport.h"
#include "tests/support/FileDropData.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/DropTarget.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using Test::VQFileDropData;

class FlashDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(m_registration.IsValid());
        ASSERT_TRUE(m_folder.WriteFile(L"first.swf", "FWS"));
        ASSERT_TRUE(m_folder.WriteFile(L"second.SWF", "FWS"));
        ASSERT_TRUE(m_folder.WriteFile(L"notes.txt", "text"));
        m_window = new VQFlashWnd(L"Tiles", m_folder.PathOf(L"first.swf"), L"", 640, 480);
        m_hwnd = m_window->Create(nullptr, L"TovanaFlash", 0x16CF0000, WS_EX_WINDOWEDGE);
        ASSERT_NE(nullptr, m_hwnd);
        ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return m_window->IsLoaded(); }));
    }
    void TearDown() override {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
        Tessar::Test::PumpUntilTrue([] { return true; }, 0);
        ::OleUninitialize();
    }

    DWORD Send(UINT message, const std::vector<std::wstring>& files) {
        VQFileDropData data(files);
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        VQOleDropInfo info(&data, 0, &effect, POINTL{10, 10});
        ::SendMessageW(m_hwnd, message, reinterpret_cast<WPARAM>(&info), 0);
        return effect;
    }

    Tessar::Test::VQStandInRegistration m_registration{kFlashPlayerClsid};
    VQTempFolder m_folder;
    VQFlashWnd* m_window = nullptr;
    HWND m_hwnd = nullptr;
};

TEST_F(FlashDropTest, OnlyAFileListStartingWithAMovieIsAccepted) {
    struct Case {
        const char* name;
        std::vector<std::wstring> files;
        DWORD effect;
    };
    const Case cases[] = {
        {"a movie", {m_folder.PathOf(L"second.SWF")}, DROPEFFECT_COPY},
        {"a movie first, then text", {m_folder.PathOf(L"second.SWF"), m_folder.PathOf(L"notes.txt")}, DROPEFFECT_COPY},
        {"text first", {m_folder.PathOf(L"notes.txt"), m_folder.PathOf(L"second.SWF")}, DROPEFFECT_NONE},
        {"no extension", {m_folder.PathOf(L"movie")}, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) EXPECT_EQ(c.effect, Send(WM_VQ_DRAGENTER, c.files)) << c.name;
    ::EnableWindow(m_hwnd, FALSE);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), Send(WM_VQ_DRAGENTER, {m_folder.PathOf(L"second.SWF")}))
        << "a disabled window takes nothing";
    ::EnableWindow(m_hwnd, TRUE);
}

TEST_F(FlashDropTest, DroppedMovieReplacesThePlayingOneEvenWhenPaused) {
    m_window->OnCommand(FlashIdPause);
    ASSERT_TRUE(m_window->IsPaused());
    Send(WM_VQ_DROP, {m_folder.PathOf(L"second.SWF"), m_folder.PathOf(L"notes.txt")});
    EXPECT_FALSE(m_window->IsPaused());
    EXPECT_TRUE(m_window->IsLoaded());
    EXPECT_EQ(m_folder.PathOf(L"second.SWF"), m_window->GetMoviePath());
    EXPECT_TRUE(m_window->GetPaintManager().FindControlById(FlashIdTitle)->GetText().empty());
    const std::wstring log = Tessar::Test::StandInCallLog();
    const size_t unload = log.rfind(L"movie=http://");
    ASSERT_NE(std::wstring::npos, unload);
    EXPECT_NE(std::wstring::npos, log.find(L"movie=" + m_folder.PathOf(L"second.SWF"), unload));

    // A first file that is gone changes nothing.
    Send(WM_VQ_DROP, {m_folder.PathOf(L"gone.swf")});
    EXPECT_EQ(m_folder.PathOf(L"second.SWF"), m_window->GetMoviePath());
}

}  // namespace
}  // namespace Tessar
