// A skin changes how a window looks, never which code runs in it: a skin
// folder on disk whose style gives the window's ActiveX control another
// module and class id (directly and as the class default) is applied, and
// the control keeps what the program's own layout chose; the module the
// skin names is never loaded.
#include <gtest/gtest.h>

#include <ole2.h>

#include <string>

#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/ActiveXTestHost.h"
#include "tests/ui/SkinFixture.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/ActiveXCtrl.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"
#include "ui/WindowImplBase.h"

namespace Tessar {
namespace {

using Test::VQTestControlLibrary;

const wchar_t kSkinClsid[] = L"{6E1B3C55-2F4A-4D7B-9C0E-8A5F3D2B1C47}";

// The program's own layout: the test control, loaded by its module.
std::wstring BuiltInLayout() {
    return L"<Window size=\"300,200\"><Container name=\"root\">"
           L"<ActiveX id=\"100\" name=\"player\" float=\"true\" pos=\"20,30,120,90\" modulename=\"" +
           VQTestControlLibrary::Path() + L"\" clsid=\"" VQ_TEST_CONTROL_CLSID_TEXT
           L"\" delaycreate=\"false\"/></Container></Window>";
}

class ProbeSkinnedWindow : public VQWindowImplBase {
public:
    ProbeSkinnedWindow() {
        Create(nullptr, L"probe", WS_POPUP, WS_EX_TOOLWINDOW, 30, 30, 300, 200);
        if (m_hwnd) ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    ~ProbeSkinnedWindow() override {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
    }
    const wchar_t* GetWindowClassName() const override { return L"VQProbeSkinnedWnd"; }
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) override {
        built = CreateFromLayout(BuiltInLayout(), L"", MarkupFromMemory, L"", nullptr);
        handled = TRUE;
        return 0;
    }
    void Notify(VQNotifyMsg&) override {}

    bool built = false;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(SkinChoosesNoCode, AStyleFromASkinFolderNeverChangesWhatTheControlLoads) {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    {
        VQTestControlLibrary library;
        ASSERT_TRUE(library.IsLoaded());
        Tessar::Test::VQSkinManagerState restore;
        VQTempFolder folder;
        ASSERT_FALSE(folder.Path().empty());
        // The probe is copied in, so that its mark lands in this test's folder.
        const std::wstring probe = folder.PathOf(L"SkinProbe.dll");
        const std::wstring built =
            Tessar::Test::UnixToWindowsPath(Tessar::Test::BinaryDirUnix() + "/fixtures/skinprobe/SkinProbe.dll");
        ASSERT_TRUE(::CopyFileW(built.c_str(), probe.c_str(), FALSE)) << Narrow(built);
        const std::string moduleAndClass =
            "modulename=\"" + Narrow(probe) + "\" clsid=\"" + Narrow(kSkinClsid) + "\"";
        std::string quoted = moduleAndClass;
        for (size_t at = quoted.find('"'); at != std::string::npos; at = quoted.find('"', at + 6))
            quoted.replace(at, 1, "&quot;");
        ASSERT_TRUE(folder.WriteFile(L"skin\\probe\\MarloxWnd.xml",
                                     "<Root name=\"Probe\" index=\"1\"><Window name=\"ProbeWnd\">"
                                     "<Default name=\"ActiveX\" value=\"" + quoted + "\" />"
                                     "<id100 " + moduleAndClass + " enablecontextmenu=\"false\" />"
                                     "</Window></Root>"));
        VQSkinManager& skins = VQSkinManager::Instance();
        skins.RefreshSkinList(folder.PathOf(L"skin"));
        ASSERT_EQ(1u, skins.GetSkinList().size());
        const std::wstring layoutPath = skins.GetSkinList().front()->path;

        ProbeSkinnedWindow window;
        Tessar::Test::VQScreenshotOnFailure shot(window.GetHWND());
        ASSERT_TRUE(window.built);
        VQPaintManager& manager = window.GetPaintManager();
        VQControl* found = manager.FindControlById(100);
        ASSERT_NE(nullptr, found);
        auto* player = static_cast<VQActiveX*>(found->GetInterface(ControlTypeActiveX));
        ASSERT_NE(nullptr, player);
        IOleObject* object = player->GetOleObject();
        ASSERT_NE(nullptr, object) << "the built-in layout loads the test control";
        ASSERT_EQ(1, library.LiveObjects());

        window.ChangeSkin(331, L"ProbeWnd", L"XML", folder.PathOf(L"skin\\probe"), layoutPath);
        EXPECT_FALSE(player->IsEnableContextMenu()) << "the skin's style was applied";
        EXPECT_EQ(VQTestControlLibrary::Path(), player->GetModuleName());
        EXPECT_EQ(kTestControlClsid, player->GetClsid());
        EXPECT_EQ(object, player->GetOleObject()) << "the object was made again";
        EXPECT_EQ(1, library.LiveObjects());

        // A control the program builds later under the same window gets the
        // skin's class default without its module and class id.
        VQDialogBuilder builder;
        VQControl* later = builder.Create(L"<Window><ActiveX id=\"101\" /></Window>", L"", MarkupFromMemory, L"",
                                          &manager);
        ASSERT_NE(nullptr, later);
        auto* second = static_cast<VQActiveX*>(later->GetInterface(ControlTypeActiveX));
        ASSERT_NE(nullptr, second);
        EXPECT_EQ(L"", second->GetModuleName());
        EXPECT_EQ(GUID_NULL, second->GetClsid());
        delete later;

        EXPECT_EQ(nullptr, ::GetModuleHandleW(probe.c_str()));
        EXPECT_FALSE(Exists(probe + L".loaded")) << "the skin got its module loaded";
    }
    ::OleUninitialize();
}

}  // namespace
}  // namespace Tessar
