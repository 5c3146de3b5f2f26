#include "tests/e2e/DemoWorldTest.h"

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/Settings.h"
#include "tests/e2e/ManagerRecords.h"

namespace Tessar {
namespace Test {

namespace {

struct ClassSearch {
    const wchar_t* className;
    DWORD notPid;
    HWND found;
};

BOOL CALLBACK FindShownOfClass(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (wcscmp(name, search->className) != 0 || !IsWindowVisible(hwnd) || pid == search->notPid) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

std::wstring FiveDigits(uint32_t id) {
    wchar_t text[8];
    _snwprintf(text, 8, L"%05u", id);
    return text;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

std::string RequestsOf(const VQUpdateServer& server) {
    std::string all;
    for (const std::string& line : server.Requests()) all += line + " ";
    return all;
}

HWND FindShownWindow(const wchar_t* className, DWORD notPid) {
    ClassSearch search = {className, notPid, nullptr};
    EnumWindows(&FindShownOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ProgramOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    std::wstring result;
    if (QueryFullProcessImageNameW(process, 0, path, &size)) result.assign(path, size);
    CloseHandle(process);
    return result;
}

void VQDemoWorldTest::SetUp() {
    ASSERT_TRUE(m_folder.Prepare(m_withOtherPrograms));
    // It writes the folder's servers.ini, as it does for scripts/run.
    ASSERT_TRUE(m_world.StartDemoWorld(m_folder.Folder(), m_scratch.PathOf(L"world")))
        << "the demo world did not start";
    // No tip over the window after an install.
    VQSettings settings(m_folder.PathOf(L"config\\config.xml"));
    ASSERT_TRUE(settings.Load());
    settings.SetBool(L"CompleteMessageTip", false);
    ASSERT_TRUE(settings.Save());
}

void VQDemoWorldTest::TearDown() {
    m_folder.KillAll();
    for (DWORD pid : m_started) EndProcess(pid);
}

int VQDemoWorldTest::PickCard(uint32_t list, const std::function<bool(const VQGameRecord&)>& wanted,
                              VQGameRecord& game) {
    VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
    if (!database.Load()) return -1;
    const VQDatabaseXmlFile::IdList& ids = database.GetIdList(list);
    for (size_t i = 0; i < ids.size() && i < static_cast<size_t>(kCardsInARow); ++i) {
        const VQGameRecord* record = database.FindById(ids[i]);
        if (record && wanted(*record)) {
            game = *record;
            game.NextSameKey = nullptr;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void VQDemoWorldTest::StartShown() {
    m_manager = m_folder.Start(L"");
    WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
            kDemoStartTimeout);
    ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kDemoStartTimeout));
}

bool VQDemoWorldTest::ClickCardUntil(POINT card, const std::function<bool()>& done) {
    for (int attempt = 0; attempt < 3 && !done(); ++attempt)
        for (int y = card.y - 30; y <= card.y + 30 && !done(); y += 15) {
            ClickAt(m_window, POINT{card.x, y});
            WaitFor(done, 3000);
        }
    return WaitFor(done, kDemoTimeout);
}

bool VQDemoWorldTest::KeepPaintedScreenshot(HWND window, const std::wstring& name) {
    SetForegroundWindow(window);
    BringWindowToTop(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A window only just shown may still be black or a single colour.
    const bool painted = WaitFor(
        [&] {
            const VQScreenImage image = CaptureWindow(window);
            const RECT all = {0, 0, image.width, image.height};
            return image.width > 0 && DistinctColours(image, all) > 8;
        },
        kDemoTimeout);
    Sleep(500);
    KeepScreenshot(window, name);
    return painted;
}

bool VQDemoWorldTest::SwitchTab(POINT tab) {
    const RECT row = {0, kFirstCard.y - 30, kCardsInARow * kCardPitchX, kFirstCard.y + 30};
    auto rowPixels = [&] {
        const VQScreenImage image = CaptureWindow(m_window);
        std::vector<uint32_t> pixels;
        for (int y = row.top; y < row.bottom && y < image.height; ++y)
            for (int x = row.left; x < row.right && x < image.width; ++x) pixels.push_back(image.At(x, y));
        return pixels;
    };
    const std::vector<uint32_t> before = rowPixels();
    for (int attempt = 0; attempt < 5; ++attempt) {
        ClickAt(m_window, tab);
        if (!WaitFor([&] { return rowPixels() != before; }, 2000)) continue;
        // The new page may still be sliding in (an eighth of a second), and
        // a click meanwhile would land on the moving pages: the switch is
        // done once the row holds still for a few polls.
        std::vector<uint32_t> seen = rowPixels();
        int stillPolls = 0;
        return WaitFor(
            [&] {
                std::vector<uint32_t> now = rowPixels();
                stillPolls = now == seen ? stillPolls + 1 : 0;
                seen.swap(now);
                return stillPolls >= 4;
            },
            5000);
    }
    return false;
}

}  // namespace Test
}  // namespace Tessar
