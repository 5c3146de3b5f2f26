#include "VQCore/app/mainwindow/SiblingPrograms.h"

#include <tlhelp32.h>

#include <boost/make_shared.hpp>
#include <vector>

#include "common/ProcessIterator.h"

namespace Tessar {

namespace {

const wchar_t* const kSiblingNames[] = {L"Pallico.exe", L"Dravenn.exe", L"Selbrin.exe"};
const wchar_t* const kSiblingTitles[] = {L"TovanaFlash游戏", L"Tovana网页游戏", L"Tovana版本更新"};

struct WindowSearch {
    std::vector<DWORD> pids;
    int told = 0;
};

BOOL CALLBACK TellWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    bool ours = false;
    for (DWORD candidate : search->pids) ours = ours || candidate == pid;
    if (!ours) return TRUE;
    wchar_t title[256] = {};
    ::GetWindowTextW(hwnd, title, 256);
    if (IsSiblingWindowTitle(title) && ::PostMessageW(hwnd, kMsgSiblingSkinReload, 0, 0)) ++search->told;
    return TRUE;
}

std::wstring WithSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

}  // namespace

bool IsSiblingProgramName(const std::wstring& exeName) {
    for (const wchar_t* name : kSiblingNames)
        if (_wcsicmp(name, exeName.c_str()) == 0) return true;
    return false;
}

bool IsSiblingWindowTitle(const std::wstring& title) {
    for (const wchar_t* sibling : kSiblingTitles)
        if (title == sibling) return true;
    return false;
}

int NotifySiblingPrograms(const std::wstring& programFolder) {
    const std::wstring folder = WithSlash(programFolder);
    WindowSearch search;
    ProcessIterator processes(TH32CS_SNAPPROCESS, ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    auto entry = boost::make_shared<VQProcessEntry>();
    for (bool more = processes.First(entry); more; more = processes.Next(entry)) {
        const std::wstring name = entry->entry.szExeFile;
        if (!IsSiblingProgramName(name)) continue;
        std::wstring image;
        if (!GetProcessImagePath(*entry, image)) continue;
        if (_wcsicmp(image.c_str(), (folder + name).c_str()) != 0) continue;
        search.pids.push_back(entry->entry.th32ProcessID);
    }
    if (search.pids.empty()) return 0;
    ::EnumWindows(&TellWindow, reinterpret_cast<LPARAM>(&search));
    return search.told;
}

}  // namespace Tessar
