#include "VQCore/app/mainwindow/FileNotices.h"

#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"

namespace Tessar {

namespace {

enum : UINT {
    kTextNotice = 1004,
    kTextFolderKept = 1261,
    kTextUninstallerFailed = 1262,
    kTextListSetAside = 1263,
    kTextListLeftAlone = 1264,
};

std::wstring WithValue(UINT id, const std::wstring& value) {
    return FormatString(LoadResourceString(id).c_str(), value.c_str());
}

void Inform(HWND owner, const std::wstring& text) {
    VQMessageDlg dialog(owner, kMessageInform, LoadResourceString(kTextNotice), text);
    dialog.ShowModal();
}

}  // namespace

std::wstring GameFolderKeptText(const std::wstring& folder) {
    return WithValue(kTextFolderKept, folder);
}

std::wstring UninstallerFailedText(const std::wstring& command) {
    return WithValue(kTextUninstallerFailed, command);
}

std::wstring ListFileUnreadableText(const std::wstring& path, const std::wstring& asidePath) {
    return asidePath.empty() ? WithValue(kTextListLeftAlone, path) : WithValue(kTextListSetAside, asidePath);
}

void ShowGameFolderKept(HWND owner, const std::wstring& folder) {
    Inform(owner, GameFolderKeptText(folder));
}

void ShowUninstallerFailed(HWND owner, const std::wstring& command) {
    Inform(owner, UninstallerFailedText(command));
}

void ShowListFileUnreadable(HWND owner, const std::wstring& path, const std::wstring& asidePath) {
    Inform(owner, ListFileUnreadableText(path, asidePath));
}

}  // namespace Tessar
