#include "VQCore/download/InstallMacros.h"

#include "common/SystemUtil.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <mutex>

namespace Tessar {

const wchar_t kInstallMacro[] = L"install";

namespace {

// A macro stands for a special folder (csidl) or an environment text.
struct VQFixedMacro {
    const wchar_t* name;
    int csidl;  // -1: environment text
    const wchar_t* environment;
};

const VQFixedMacro kFixedMacros[] = {
    {L"program_files", CSIDL_PROGRAM_FILES, nullptr},
    {L"common_program_files", CSIDL_PROGRAM_FILES_COMMON, nullptr},
    {L"system_driver", -1, L"%HOMEDRIVE%"},
    {L"windows", CSIDL_WINDOWS, nullptr},
    {L"fonts", CSIDL_FONTS, nullptr},
    {L"cookies", CSIDL_COOKIES, nullptr},
    {L"all_users", -1, L"%ALLUSERSPROFILE%"},
    {L"all_appdata", CSIDL_COMMON_APPDATA, nullptr},
    {L"all_programs_menu", CSIDL_COMMON_PROGRAMS, nullptr},
    {L"all_docs", CSIDL_COMMON_DOCUMENTS, nullptr},
    {L"all_desktop", CSIDL_COMMON_DESKTOPDIRECTORY, nullptr},
    {L"all_menu", CSIDL_COMMON_STARTMENU, nullptr},
    {L"all_startup", CSIDL_COMMON_STARTUP, nullptr},
    {L"all_favorites", CSIDL_COMMON_FAVORITES, nullptr},
    {L"my_user", CSIDL_PROFILE, nullptr},
    {L"my_appdata", CSIDL_APPDATA, nullptr},
    {L"my_desktop", CSIDL_DESKTOPDIRECTORY, nullptr},
    {L"my_favorites", CSIDL_FAVORITES, nullptr},
    {L"my_doc", CSIDL_PERSONAL, nullptr},
    {L"my_menu", CSIDL_STARTMENU, nullptr},
    {L"my_programs_menu", CSIDL_PROGRAMS, nullptr},
    {L"my_startup", CSIDL_STARTUP, nullptr},
    {L"my_local_appdata", CSIDL_LOCAL_APPDATA, nullptr},
};

// Rounds and length of one expansion; real texts need a handful of rounds
// and stay within the longest path the system takes.
const int kMaxExpandRounds = 64;
const size_t kMaxExpandedChars = 32767;

std::mutex g_fixedLock;
std::unique_ptr<std::map<std::wstring, std::wstring>> g_fixed;  // under g_fixedLock

std::wstring SystemMacroValue(const VQFixedMacro& macro) {
    if (macro.csidl < 0) {
        std::wstring value = ExpandEnvironmentText(macro.environment);
        // An unset variable comes back as it was written.
        return value.find(L'%') == std::wstring::npos ? value : std::wstring();
    }
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, macro.csidl, FALSE))
        return std::wstring();
    return buffer;
}

// Caller holds g_fixedLock.
const std::map<std::wstring, std::wstring>& FixedTable() {
    if (!g_fixed) {
        g_fixed.reset(new std::map<std::wstring, std::wstring>());
        for (const VQFixedMacro& macro : kFixedMacros)
            (*g_fixed)[macro.name] = SystemMacroValue(macro);
    }
    return *g_fixed;
}

}  // namespace

void SetFixedMacroFolders(const std::map<std::wstring, std::wstring>* folders) {
    std::lock_guard<std::mutex> hold(g_fixedLock);
    g_fixed.reset(folders != nullptr ? new std::map<std::wstring, std::wstring>(*folders) : nullptr);
}

bool FindFixedMacro(const std::wstring& name, std::wstring& value) {
    std::lock_guard<std::mutex> hold(g_fixedLock);
    const std::map<std::wstring, std::wstring>& table = FixedTable();
    std::map<std::wstring, std::wstring>::const_iterator found = table.find(name);
    if (found == table.end())
        return false;
    value = found->second;
    return true;
}

std::vector<std::wstring> FixedMacroFolders() {
    std::lock_guard<std::mutex> hold(g_fixedLock);
    std::vector<std::wstring> folders;
    for (const auto& entry : FixedTable()) {
        if (!entry.second.empty())
            folders.push_back(entry.second);
    }
    return folders;
}

std::vector<std::wstring> FixedMacroNames() {
    std::vector<std::wstring> names;
    for (const VQFixedMacro& macro : kFixedMacros)
        names.push_back(macro.name);
    return names;
}

void VQInstallMacros::Set(const std::wstring& name, const std::wstring& value) {
    std::wstring key = name;
    MakeLower(key);
    m_set[key] = value;
}

bool VQInstallMacros::Find(const std::wstring& name, std::wstring& value) const {
    std::wstring key = name;
    MakeLower(key);
    std::map<std::wstring, std::wstring>::const_iterator found = m_set.find(key);
    if (found != m_set.end()) {
        value = found->second;
        return true;
    }
    return FindFixedMacro(key, value);
}

bool VQInstallMacros::Expand(const std::wstring& text, std::wstring& out) const {
    std::wstring current = text;
    for (int round = 0; round < kMaxExpandRounds; ++round) {
        size_t open = current.find(L"##");
        if (open == std::wstring::npos) {
            out = current;
            return true;
        }
        size_t close = current.find(L"##", open + 2);
        std::wstring value;
        if (close == std::wstring::npos || !Find(current.substr(open + 2, close - open - 2), value)) {
            out = current;
            return true;
        }
        ReplaceAll(current, current.substr(open, close + 2 - open), value);
        if (current.size() > kMaxExpandedChars)
            break;
    }
    out = text;
    return false;
}

std::wstring VQInstallMacros::Expand(const std::wstring& text) const {
    std::wstring out;
    Expand(text, out);
    return out;
}

}  // namespace Tessar
