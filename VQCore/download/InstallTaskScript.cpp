#include "VQCore/download/InstallTaskScript.h"

#include "VQCore/download/PackageSafety.h"
#include "common/CodePage.h"
#include "common/FileHandle.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <vector>

namespace Tessar {

const wchar_t kTaskWriteIniArgsError[] = L"WriteINIStr参数个数错误";
const wchar_t kTaskDeleteSecArgsError[] = L"DeleteINISec参数个数错误";
const wchar_t kTaskDeleteStrArgsError[] = L"DeleteINIStr参数个数错误";

namespace {

const uint32_t kMaxScriptBytes = 1048576;

bool LoadScriptText(const std::wstring& path, std::wstring& text) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
        return false;
    uint64_t size = 0;
    std::string bytes;
    bool ok = GetFileHandleSize(file, size) && size > 0 && size <= kMaxScriptBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = ReadFileExactly(file, &bytes[0], static_cast<uint32_t>(size));
    }
    CloseFileHandle(file);
    if (!ok)
        return false;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return false;  // big-endian UTF-16 is not read
    if (bytes.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        text.clear();
        for (size_t at = 2; at + 1 < bytes.size(); at += 2)
            text.push_back(static_cast<wchar_t>(data[at] | data[at + 1] << 8));
    } else {
        text = NarrowStringToWide(bytes);
    }
    return true;
}

class VQTaskRunner {
public:
    VQTaskRunner(const std::wstring& scriptPath, const VQTaskScriptHost& host, std::wstring* error)
        : m_folder(scriptPath.substr(0, scriptPath.find_last_of(kPathSeparators) + 1)), m_host(host), m_error(error) {
        TrimRightChars(m_folder, kPathSeparators);
    }

    // False ends the script.
    bool RunLine(const std::wstring& line) {
        std::wstring rest = line;
        std::wstring command = TakeToken(rest, L" ");
        TrimLeftChars(rest, L" \t");
        if (command == L"run")
            return Run(rest);
        if (command == L"ini")
            return Ini(rest);
        return true;
    }

private:
    bool Fail(const wchar_t* message) {
        if (m_error != nullptr)
            *m_error = message;
        return false;
    }

    // Expanded, made full against the script's folder and allowed.
    bool ResolvePath(const std::wstring& text, std::wstring& path) {
        std::wstring expanded;
        if (!m_host.expand(text, expanded) || expanded.empty())
            return false;
        path = CombinePath(m_folder, expanded);
        return IsAbsolutePath(path) && m_host.allowPath(path);
    }

    bool Run(const std::wstring& rest) {
        std::wstring file;
        std::wstring parameters;
        if (!rest.empty() && rest[0] == L'"') {
            size_t close = rest.find(L'"', 1);
            file = rest.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
            parameters = close == std::wstring::npos ? std::wstring() : rest.substr(close + 1);
        } else {
            parameters = rest;
            file = TakeToken(parameters, L" ");
        }
        TrimLeftChars(parameters, L" \t");
        std::wstring path;
        std::wstring expandedParameters;
        if (!ResolvePath(file, path) || !m_host.expand(parameters, expandedParameters))
            return false;
        return ShellExecuteTarget(L"open", path, expandedParameters, m_folder, SW_HIDE);
    }

    bool Ini(const std::wstring& rest) {
        std::vector<std::wstring> args;
        SplitCommandLine(rest, args);
        for (std::wstring& arg : args)
            arg = StripQuotes(arg);
        if (args.empty())
            return true;
        const std::wstring& verb = args[0];
        if (verb == L"WriteINIStr") {
            if (args.size() != 5)
                return Fail(kTaskWriteIniArgsError);
            std::wstring path;
            std::wstring value;
            if (!ResolvePath(args[1], path) || !m_host.expand(args[4], value))
                return false;
            return IniFile(path).WriteString(args[2], args[3], value);
        }
        if (verb == L"DeleteINISec") {
            if (args.size() != 3)
                return Fail(kTaskDeleteSecArgsError);
            std::wstring path;
            return ResolvePath(args[1], path) && IniFile(path).DeleteSection(args[2]);
        }
        if (verb == L"DeleteINIStr") {
            if (args.size() != 4)
                return Fail(kTaskDeleteStrArgsError);
            std::wstring path;
            return ResolvePath(args[1], path) && IniFile(path).DeleteKey(args[2], args[3]);
        }
        return true;
    }

    std::wstring m_folder;
    const VQTaskScriptHost& m_host;
    std::wstring* m_error;
};

}  // namespace

bool RunInstallTaskScript(const std::wstring& scriptPath, const VQTaskScriptHost& host, std::wstring* error) {
    std::wstring text;
    if (!LoadScriptText(scriptPath, text))
        return false;
    ReplaceChar(text, L'\r', L'\n');
    std::vector<std::wstring> lines;
    SplitAtChar(text, L'\n', lines);
    VQTaskRunner runner(scriptPath, host, error);
    for (std::wstring& line : lines) {
        TrimLeftChars(line, L" \t\r\n");
        TrimRightChars(line, L" \t\r\n");
        if (line.empty())
            continue;
        if (!runner.RunLine(line))
            return false;
    }
    return true;
}

}  // namespace Tessar
