#include "tests/e2e/ManagerRecords.h"

#include "VQCore/gamelib/DownloadXmlFile.h"
#include "tests/e2e/ManagerHarness.h"
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
