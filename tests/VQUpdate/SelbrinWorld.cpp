#include "tests/VQUpdate/SelbrinWorld.h"

#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeJournal.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/Upgrader.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "tests/programs/upgradeseam/EnvironmentSeam.h"
#include "tests/support/LocalServer.h"
#include "tests/support/ProcessWindow.h"
#include "tests/ui/WindowScreenshot.h"

namespace Tessar {
namespace Test {

namespace {

const wchar_t kReleaseProgram[] = L"Release.exe";

void CollectFiles(const std::wstring& folder, const std::wstring& relative, VQFileSet& files) {
    FindFileIterator finder;
    FindFileEntry entry;
    std::wstring here = relative.empty() ? folder : folder + L"\\" + relative;
    for (bool found = finder.First(here + L"\\*", entry); found; found = finder.Next(entry)) {
        if (entry.IsDots())
            continue;
        std::wstring name = relative.empty() ? entry.name : relative + L"\\" + entry.name;
        if (entry.IsFolder())
            CollectFiles(folder, name, files);
        else
            files[name] = Md5OfFile(folder + L"\\" + name);
    }
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty())
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::wstring Differences(const VQFileSet& have, const VQFileSet& want) {
    std::wstring text;
    for (const auto& file : want) {
        auto it = have.find(file.first);
        if (it == have.end())
            text += L" missing " + file.first + L";";
        else if (it->second != file.second)
            text += L" changed " + file.first + L";";
    }
    for (const auto& file : have) {
        if (want.find(file.first) == want.end())
            text += L" extra " + file.first + L";";
    }
    return text;
}

}  // namespace

void KeepWindowPicture(HWND window, const std::wstring& name) {
    DWORD_PTR answer = 0;
    // Answered only once the window has handled what came before.
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    std::wstring folder = ScreenshotFolder();
    CreateFolderChain(folder);
    SaveWindowPng(window, folder + L"\\" + name + L".png");
}

VQFileSet ReadFileSet(const std::wstring& folder) {
    VQFileSet files;
    CollectFiles(folder, std::wstring(), files);
    // The skin selection, made by the updater's skin set-up when missing, is
    // the user's, not the release's.
    files.erase(L"skin\\skin.xml");
    // The upgrade's own journal and backup are leftovers, not versions.
    files.erase(L"rbtemp.vqj");
    for (auto it = files.begin(); it != files.end();)
        it = it->first.compare(0, 7, L"rbtemp\\") == 0 ? files.erase(it) : std::next(it);
    return files;
}

VQProcess::~VQProcess() {
    if (m_handle != nullptr) {
        DWORD code = 0;
        if (GetExitCodeProcess(m_handle, &code) && code == STILL_ACTIVE)
            Kill();
        CloseHandle(m_handle);
    }
}

bool VQProcess::Start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::wstring folder = NormalizeText(GetFullPathFolder(program), kNormalizeNoTrailingSeparator);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    m_handle = process.hProcess;
    m_id = process.dwProcessId;
    return true;
}

bool VQProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
    if (m_handle == nullptr || WaitForSingleObject(m_handle, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(m_handle, &exitCode) != FALSE;
}

void VQProcess::Kill() {
    if (m_handle == nullptr)
        return;
    TerminateProcess(m_handle, 99);
    WaitForSingleObject(m_handle, kRunTimeoutMs);
}

bool KillProcessById(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr)
        return false;
    bool killed = TerminateProcess(process, 99) && WaitForSingleObject(process, kRunTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return killed;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindWindowOfProcess(processId, className, true);
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

VQSelbrinWorld::VQSelbrinWorld() {
    if (!m_world.Ready())
        return;
    const VQTempFolder& root = m_world.Root();
    // The updater's test build: the shipped program with the upgrade's test seam.
    std::wstring selbrin = UpdateFixturePath(L"SelbrinTestBuild.exe");
    std::string manager = ReadBytes(UpdateFixturePath(L"ManagerStub.exe"));
    std::string releaseProgram = ReadBytes(UpdateFixturePath(L"UpgradeStub.exe"));
    if (manager.empty() || releaseProgram.empty() || !FileExists(selbrin))
        return;
    // The installed copy.
    bool laid = CopyFileW(selbrin.c_str(), ProgramPath(L"Selbrin.exe").c_str(), FALSE) &&
                root.WriteFile(L"program\\Norvane.exe", manager) && root.WriteFile(L"program\\data.txt", "old data") &&
                root.WriteFile(L"program\\keep.txt", "not in the release") &&
                root.WriteFile(L"program\\sub\\res.txt", "old res");
    // The release: a changed manager, changed and added files, a new folder.
    laid = laid && root.WriteFile(L"release\\Norvane.exe", manager + "\nrelease 1.7.2.0\n") &&
           root.WriteFile(L"release\\data.txt", "new data") && root.WriteFile(L"release\\sub\\res.txt", "new res") &&
           root.WriteFile(L"release\\sub\\added.txt", "added by the release") &&
           root.WriteFile(L"release\\newdir\\inner.txt", "a new folder");
    laid = laid && root.WriteFile(L"server\\Release.exe", releaseProgram) && m_server.Start(Root(L"server"));
    if (!laid)
        return;
    std::string base = std::string("http://127.0.0.1:") + std::to_string(m_server.Port());
    laid = root.WriteFile(L"program\\servers.ini",
                          "[Servers]\r\nUpdateServer=" + base + "\r\nStatisticsServer=" + base + "\r\n");
    m_oldFiles = ReadFileSet(m_world.ProgramFolder());
    m_newFiles = m_oldFiles;
    for (const auto& file : ReadFileSet(Root(L"release")))
        m_newFiles[file.first] = file.second;
    m_managerLog.reset(new VQScopedEnvironment(L"VQ_MANAGER_LOG", Root(L"manager.log")));
    m_releaseTree.reset(new VQScopedEnvironment(L"VQ_STUB_EXTRACT_TREE", Root(L"release")));
    // Test programs run side by side in one prefix: this world's updaters
    // get named events of their own.
    static LONG s_worlds = 0;
    std::wstring suffix = L"-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(InterlockedIncrement(&s_worlds));
    m_instanceSuffix.reset(new VQScopedEnvironment(kInstanceSuffixVariable, suffix));
    m_ready = laid && ServeRelease();
}

VQSelbrinWorld::~VQSelbrinWorld() {
    m_server.Stop();
}

std::wstring VQSelbrinWorld::ProgramPath(const std::wstring& name) const {
    return m_world.ProgramFolder() + L"\\" + name;
}

bool VQSelbrinWorld::ServeRelease(const std::wstring& urlPath, const std::string& md5) {
    std::wstring path = urlPath.empty() ? std::wstring(L"/files/") + kReleaseProgram : urlPath;
    std::string narrowPath(path.begin(), path.end());
    std::string reply = "<VERSION>1.7.2.0</VERSION><FILE><DownloadUrl>{base}" + narrowPath + "</DownloadUrl><Md5>" +
                        (md5.empty() ? std::string("{md5:Release.exe}") : md5) +
                        "</Md5><FileSize>{size:Release.exe}</FileSize><FileName>Release.exe</FileName></FILE>";
    return m_world.Root().WriteFile(L"server\\update.xml", reply);
}

bool VQSelbrinWorld::WriteRestartMarkerFor(const std::wstring& parameters) const {
    return WriteRestartMarker(ProgramPath(L"Norvane.exe"), m_world.ProgramFolder(), parameters);
}

std::wstring VQSelbrinWorld::InstalledVersion() const {
    VQFileSet have = ReadFileSet(m_world.ProgramFolder());
    if (have == m_oldFiles)
        return L"old";
    if (have == m_newFiles)
        return L"new";
    return L"neither: against old" + Differences(have, m_oldFiles) + L" against new" +
           Differences(have, m_newFiles);
}

std::wstring VQSelbrinWorld::Leftovers() const {
    std::wstring work = m_world.WorkFolder() + L"\\";
    std::wstring left;
    for (const wchar_t* name : {kUpgradeMarkerName, kDownloadMarkerName, kRestartMarkerName}) {
        if (FileExists(work + name))
            left += std::wstring(L" ") + name;
    }
    if (FolderExists(work + kReleaseFolderName))
        left += L" work\\download";
    if (FileExists(JournalPath(m_world.ProgramFolder())))
        left += L" journal";
    if (FolderExists(BackupFolder(m_world.ProgramFolder())))
        left += L" rbtemp";
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(m_world.TempFolder() + L"\\VQ$D.*", entry); found; found = finder.Next(entry))
        left += L" temp\\" + entry.name;
    return left;
}

std::vector<VQManagerStart> VQSelbrinWorld::ManagerStarts() const {
    std::vector<VQManagerStart> starts;
    std::wstring text = Utf8ToWide(ReadBytes(Root(L"manager.log")));
    size_t begin = 0;
    for (size_t end; (end = text.find(L'\n', begin)) != std::wstring::npos; begin = end + 1) {
        std::wstring line = text.substr(begin, end - begin);
        size_t first = line.find(L'|');
        size_t second = first == std::wstring::npos ? first : line.find(L'|', first + 1);
        if (second == std::wstring::npos)
            continue;
        VQManagerStart start;
        start.word = line.substr(0, first);
        start.processId = static_cast<DWORD>(_wtoi(line.substr(first + 1, second - first - 1).c_str()));
        start.parameters = line.substr(second + 1);
        starts.push_back(start);
    }
    return starts;
}

bool VQSelbrinWorld::WaitForManagerStart(size_t after, VQManagerStart& start, DWORD timeoutMs) const {
    return WaitUntil(
        [&] {
            std::vector<VQManagerStart> starts = ManagerStarts();
            for (size_t i = after; i < starts.size(); ++i) {
                if (starts[i].word == L"started") {
                    start = starts[i];
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

}  // namespace Test
}  // namespace Tessar
