// The Flash player program: one game from its .ini (or a bare .swf) in a
// skinned player window.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "VQFlash/FlashWnd.h"
#include "VQFlash/GameArguments.h"
#include "VQFlash/GameHelpWnd.h"
#include "common/PathText.h"
#include "ui/PaintManager.h"
#include "ui/SkinManager.h"

using namespace Tessar;

namespace {

const UINT kBadExtensionString = 155;
const UINT kBadIniString = 156;
const UINT kErrorCaptionString = 157;
const UINT kMissingMovieString = 170;
const DWORD kPlayerStyle = 0x16CF0000;

void ShowError(UINT textId) {
    VQSkinManager& skins = VQSkinManager::Instance();
    ::MessageBoxW(nullptr, skins.LoadModuleString(textId).c_str(), skins.LoadModuleString(kErrorCaptionString).c_str(),
                  MB_OK);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    VQSkinManager::Instance().SetResourceModule(instance);
    const std::wstring path = ParsePlayerArgument(::GetCommandLineW());
    std::wstring name;
    std::wstring movie;
    std::wstring help;
    int width = 0;
    int height = 0;
    if (!path.empty()) {
        const std::wstring extension = GetFileExtension(path);
        if (_wcsicmp(extension.c_str(), L".ini") == 0) {
            if (!ReadGameIni(path, name, movie, help, width, height)) {
                ShowError(kBadIniString);
                return 0;
            }
        } else if (_wcsicmp(extension.c_str(), L".swf") == 0) {
            if (!FileExists(path)) {
                ShowError(kMissingMovieString);
                return 0;
            }
            movie = path;
        } else {
            ShowError(kBadExtensionString);
            return 0;
        }
    }
    if (FAILED(::OleInitialize(nullptr))) return -1;
    VQSkinManager::Instance().SetResourceFolder(ProgramSkinFolder());
    VQFlashWnd* window = new VQFlashWnd(name, movie, help, width, height);
    const std::wstring title = VQSkinManager::Instance().LoadModuleString(kFlashTitleString);
    if (window->Create(nullptr, title.c_str(), kPlayerStyle, WS_EX_WINDOWEDGE) == nullptr) {
        delete window;
        ::OleUninitialize();
        return -1;
    }
    VQPaintManager::MessageLoop();
    ::OleUninitialize();
    return 0;
}
