#include "tests/VQFlash/GameWindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/CodePage.h"
#include "tests/programs/activex/TestControlApi.h"
#include "tests/support/LocalServer.h"
#include "tests/support/ProcessWindow.h"
#include "tests/support/TempFolder.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace Test {

namespace {

std::wstring BuildFolder() {
    return UnixToWindowsPath(BinaryDirUnix());
}

}  // namespace

std::wstring StandInCallLog() {
    HMODULE module = ::GetModuleHandleW(VQ_TEST_CONTROL_DLL);
    if (module == nullptr) return std::wstring();
    auto callLog = reinterpret_cast<VQTestControlCallLogProc>(
        reinterpret_cast<void*>(::GetProcAddress(module, "VQTestControlCallLog")));
    if (callLog == nullptr) return std::wstring();
    wchar_t buffer[8192] = {};
    callLog(buffer, 8192);
    return buffer;
}

bool PumpUntilTrue(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (!VQPaintManager::PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (done()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

VQStartedProgram::~VQStartedProgram() {
    if (!started) return;
    if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 10000);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

HWND VQStartedProgram::WaitWindow(const wchar_t* className, DWORD timeoutMs) const {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (HWND found = FindWindowOfProcess(process.dwProcessId, className, true)) return found;
        if (::WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

DWORD VQStartedProgram::WaitExit(DWORD timeoutMs) const {
    if (::WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

bool StartProgram(const std::wstring& exeName, const std::wstring& arguments, const std::wstring& logPath,
                  VQStartedProgram& program) {
    const std::wstring exe =
        exeName.find(L'\\') != std::wstring::npos ? exeName : BuildFolder() + L"\\Norvane\\" + exeName;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    ::SetEnvironmentVariableW(VQ_TEST_CONTROL_LOG_VARIABLE, logPath.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    program.started = ::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                       &startup, &program.process) != FALSE;
    ::SetEnvironmentVariableW(VQ_TEST_CONTROL_LOG_VARIABLE, nullptr);
    return program.started;
}

bool VQProbeSkinFolder::Prepare(const VQTempFolder& folder, const std::wstring& exeName,
                                const std::wstring& windowName, int controlId) {
    m_program = folder.PathOf(exeName);
    m_probe = folder.PathOf(L"SkinProbe.dll");
    const std::wstring builtProgram = BuildFolder() + L"\\Norvane\\" + exeName;
    const std::wstring builtProbe = UnixToWindowsPath(BinaryDirUnix() + "/fixtures/skinprobe/SkinProbe.dll");
    if (!::CopyFileW(builtProgram.c_str(), m_program.c_str(), FALSE) ||
        !::CopyFileW(builtProbe.c_str(), m_probe.c_str(), FALSE))
        return false;
    const std::string probe = WideToNarrow(m_probe);
    const std::string window = WideToNarrow(windowName);
    const std::string clsid = "{6E1B3C55-2F4A-4D7B-9C0E-8A5F3D2B1C47}";
    const std::string style =
        "<Root name=\"Probe\" index=\"1\"><Window name=\"" + window + "\">"
        "<Default name=\"ActiveX\" value=\"modulename=&quot;" + probe + "&quot; clsid=&quot;" + clsid + "&quot;\" />"
        "<id" + std::to_string(controlId) + " modulename=\"" + probe + "\" clsid=\"" + clsid + "\" />"
        "</Window></Root>";
    return folder.WriteFile(L"skin\\probe\\MarloxWnd.xml", style) &&
           folder.WriteFile(L"skin\\skin.xml", "<?xml version=\"1.0\" ?>\n<SkinSetting name=\"Probe\" />\n");
}

bool VQProbeSkinFolder::ProbeLoaded() const {
    return ::GetFileAttributesW((m_probe + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ExpectSkinLoadsNoLibrary(const VQProbeSkinFolder& skin, const std::wstring& arguments, const std::wstring& logPath,
                              const wchar_t* windowClass, const std::wstring& logText) {
    VQStartedProgram program;
    ASSERT_TRUE(StartProgram(skin.Program(), arguments, logPath, program));
    HWND window = program.WaitWindow(windowClass);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(WaitForLogText(logPath, logText));
    DWORD_PTR result = 1;
    EXPECT_NE(0, ::SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_ABORTIFHUNG, 30000, &result));
    // Laid out and painted after the skin (a delayed object is made then).
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_NE(0, ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &result));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.WaitExit());
    EXPECT_FALSE(skin.ProbeLoaded()) << "the skin got its library loaded into " << WideToNarrow(skin.Program());
}

bool ReadMessageBox(HWND box, std::wstring& text, std::wstring& caption, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        wchar_t buffer[256] = {};
        ::GetDlgItemTextW(box, 0xFFFF, buffer, 256);
        text = buffer;
        wchar_t title[64] = {};
        ::GetWindowTextW(box, title, 64);
        caption = title;
        if (!text.empty() && !caption.empty()) return true;
        ::Sleep(20);
    } while (::IsWindow(box) && ::GetTickCount() - start < timeoutMs);
    return false;
}

bool AnswerErrorBox(const VQStartedProgram& program, VQErrorBox& box) {
    HWND dialog = program.WaitWindow(L"#32770");
    if (dialog == nullptr) return false;
    const bool read = ReadMessageBox(dialog, box.text, box.caption);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return read;
}

std::wstring ReadLogFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(file);
    std::wstring text;
    if (!bytes.empty()) {
        const int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        text.resize(size > 0 ? size : 0);
        if (size > 0)
            ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    }
    for (wchar_t& c : text)
        if (c == L'\n') c = L';';
    return text;
}

bool WaitForLogText(const std::wstring& path, const std::wstring& text, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (ReadLogFile(path).find(text) == std::wstring::npos) {
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(20);
    }
    return true;
}

}  // namespace Test
}  // namespace Tessar
