#include "tests/e2e/ManagerRecords.h"

#include <boost/make_shared.hpp>

#include "VQCore/gamelib/DownloadXmlFile.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/support/LocalServer.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"

#include <cstdlib>
#include <sstream>

namespace Tessar {
namespace Test {

boost::shared_ptr<VQGameInstalledInfo> InstalledRecord(const std::wstring& listPath, uint32_t id) {
    VQInstalledXmlFile list;
    if (!list.LoadFile(listPath)) return nullptr;
    for (const auto& records : {list.GetCommonRecords(), list.GetQuickRecords()})
        for (const auto& record : records)
            if (record && record->ID == id) return record;
    return nullptr;
}

bool DownloadListHolds(const std::wstring& listPath, uint32_t id) {
    VQDownloadXmlFile list;
    if (!list.LoadFile(listPath)) return false;
    for (const auto& record : list.GetRecords())
        if (record && record->ID == id) return true;
    return false;
}

bool HasRequestStarting(const VQUpdateServer& server, const std::string& start) {
    for (const std::string& line : server.Requests())
        if (line.compare(0, start.size(), start) == 0) return true;
    return false;
}

std::string DemoRoadOf(uint32_t id) {
    std::istringstream lines(ReadWholeFile(BuildPath(L"demo\\world\\games.txt")));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        unsigned long listed = 0;
        std::string road;
        if (fields >> listed >> road && listed == id) return road;
    }
    return std::string();
}

bool HasRequestContaining(const VQUpdateServer& server, const std::string& text) {
    for (const std::string& line : server.Requests())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::wstring StandInGamePath() {
    return UnixToWindowsPath(BinaryDirUnix() + "/fixtures/games") + L"\\GameStandIn.exe";
}

std::vector<std::wstring> ReadStartRecords(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::wstring text;
    wchar_t buffer[1024];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read / sizeof(wchar_t));
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

DWORD ProcessIdOfRecord(const std::wstring& line) { return static_cast<DWORD>(wcstoul(line.c_str(), nullptr, 10)); }

bool WriteInstalledGame(const std::wstring& listPath, uint32_t gameId, const std::wstring& program,
                        const std::wstring& arguments, const std::wstring& setupFolder,
                        const std::wstring& createdFolder) {
    VQInstalledXmlFile list;
    auto record = boost::make_shared<VQGameInstalledInfo>();
    record->ID = gameId;
    record->FullPath = program;
    record->RunArg = arguments;
    record->SetupDir = setupFolder;
    record->CreatedDir = createdFolder;
    record->SetupTime = 1700000000;
    list.SetRecords({record}, {});
    return list.Save(listPath);
}

bool ProcessEnded(DWORD pid, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

void EndProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

}  // namespace Test
}  // namespace Tessar
