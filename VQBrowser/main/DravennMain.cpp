// The web-game browser program: one web game, by its address, name and
// home page, in a skinned browser window.
#include <windows.h>
#include <ole2.h>

#include "VQBrowser/BrowserWnd.h"
#include "VQFlash/GameArguments.h"
#include "VQFlash/GameHelpWnd.h"
#include "ui/PaintManager.h"
#include "ui/SkinManager.h"

using namespace Tessar;

namespace {

const DWORD kBrowserStyle = 0x16CF0000;

void ShowError(UINT textId) {
    VQSkinManager& skins = VQSkinManager::Instance();
    ::MessageBoxW(nullptr, skins.LoadModuleString(textId).c_str(),
                  skins.LoadModuleString(kBrowserErrorCaptionString).c_str(), MB_OK);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    VQSkinManager::Instance().SetResourceModule(instance);
    const VQBrowserArguments arguments = ParseBrowserArguments(SplitCommandLine(::GetCommandLineW()));
    if (!arguments.enough) {
        ShowError(kBrowserTooFewString);
        return 0;
    }
    if (arguments.name.empty()) {
        ShowError(kBrowserNoNameString);
        return -1;
    }
    if (arguments.url.empty()) {
        ShowError(kBrowserNoUrlString);
        return -1;
    }
    if (FAILED(::OleInitialize(nullptr))) return -1;
    VQSkinManager::Instance().SetResourceFolder(ProgramSkinFolder());
    VQBrowserWnd* window = new VQBrowserWnd(arguments.name, arguments.url, arguments.homepage);
    const std::wstring title = VQSkinManager::Instance().LoadModuleString(kBrowserTitleString);
    if (window->Create(nullptr, title.c_str(), kBrowserStyle, 0) == nullptr) {
        delete window;
        ::OleUninitialize();
        return -1;
    }
    VQPaintManager::MessageLoop();
    ::OleUninitialize();
    return 0;
}
