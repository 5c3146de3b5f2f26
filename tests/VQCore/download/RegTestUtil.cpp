#include "tests/VQCore/download/RegTestUtil.h"

#include "common/CodePage.h"
#include "common/TextUtil.h"
#include "tests/support/RegistrySnapshot.h"

#include <windows.h>

#include <cwchar>

namespace Tessar {
namespace RegTest {

namespace {

std::string EncodedText(const std::wstring& text, Encoding encoding) {
    if (encoding == Encoding::kAnsi936)
        return WideToCodePage(936, text);
    std::vector<unsigned char> bytes = Utf16Raw(text);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::string RegFileBytes(const std::wstring& text, Encoding encoding) {
    std::string bytes = EncodedText(text, encoding);
    if (encoding == Encoding::kUtf16)
        bytes.insert(0, "\xFF\xFE", 2);
    return bytes;
}

std::wstring HexList(const std::vector<unsigned char>& bytes) {
    std::wstring list;
    for (unsigned char byte : bytes) {
        wchar_t item[4];
        std::swprintf(item, 4, L"%02x", byte);
        if (!list.empty())
            list += L",";
        list += item;
    }
    return list;
}

std::wstring HexOfText(const std::wstring& text, Encoding encoding) {
    std::string bytes = EncodedText(text, encoding);
    return HexList(std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

std::wstring WithRoot(const std::wstring& text, const std::wstring& root) {
    std::wstring result = text;
    ReplaceAll(result, L"%ROOT%", root);
    return result;
}

bool RunRegedit(const std::wstring& path) {
    std::wstring command = L"regedit.exe /s \"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    DWORD waited = ::WaitForSingleObject(process.hProcess, 60000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return waited == WAIT_OBJECT_0;
}

}  // namespace RegTest
}  // namespace Tessar
