#pragma once
// The end-to-end tests in the demo world that `bash scripts/run` gives a
// new user: a manager folder made from the build's, the same demo world
// (servers/demo_world.py, through VQUpdateServer::StartDemoWorld) pointed
// at by its servers.ini, and what a test needs to click through it: the
// default skin's tabs and cards, the pick of a card by its game, and the
// windows of the processes the manager starts.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "VQCore/gamelib/GameRecord.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {

const DWORD kDemoStartTimeout = 90000;
const DWORD kDemoTimeout = 30000;
// The default skin's main tabs, the library's kind tabs, the first card of
// a tile page and the distance between cards (client coordinates), and the
// cards of a page's first row.
const POINT kInstalledTab = {12 + 48, 57};
const POINT kLibraryTab = {12 + 96 * 2 + 48, 57};
const POINT kLibraryFlashTab = {236, 93};
const POINT kLibraryWebTab = {324, 93};
const POINT kFirstCard = {66, 155};
const int kCardPitchX = 91;
const int kCardsInARow = 10;

std::wstring FiveDigits(uint32_t id);
std::wstring TitleOf(HWND hwnd);
std::string RequestsOf(const VQUpdateServer& server);
// A shown top-level window of that class in any process but the one given.
HWND FindShownWindow(const wchar_t* className, DWORD notPid);
// The program file of a running process, empty when it cannot be had.
std::wstring ProgramOf(DWORD pid);

class VQDemoWorldTest : public ::testing::Test {
protected:
    // withOtherPrograms: the updater and the game windows beside the manager.
    explicit VQDemoWorldTest(bool withOtherPrograms = false) : m_withOtherPrograms(withOtherPrograms) {}
    void SetUp() override;
    // Ends the manager, every process it started that the test noted, and
    // the world.
    void TearDown() override;

    // A card of the first row of a library list (VQDatabaseXmlFile's
    // published lists) whose game passes the test: its place in the row, or
    // -1; the game's record is copied out.
    int PickCard(uint32_t list, const std::function<bool(const VQGameRecord&)>& wanted, VQGameRecord& game);
    // Starts the manager and waits for its shown main window.
    void StartShown();
    // Clicks down a card (a click acts only on the card's picture) until
    // the condition holds.
    bool ClickCardUntil(POINT card, const std::function<bool()>& done);
    static POINT CardAt(int column) { return POINT{kFirstCard.x + column * kCardPitchX, kFirstCard.y}; }
    // Brings the window of another process to the front, waits until it has
    // painted (more than a few colours) and keeps a screenshot of it; false
    // when it never painted.
    bool KeepPaintedScreenshot(HWND window, const std::wstring& name);
    // Clicks the tab until the cards of the first row change (the page it
    // shows took their place); false when they never did.
    bool SwitchTab(POINT tab);
    // The test ends this process at its end (a game or window the manager
    // started).
    void EndAtTearDown(DWORD pid) { m_started.push_back(pid); }
    // The same for the window's process; its pid.
    DWORD EndAtTearDown(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != 0) EndAtTearDown(pid);
        return pid;
    }

    VQManagerFolder m_folder;
    VQTempFolder m_scratch;
    VQUpdateServer m_world;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;

private:
    bool m_withOtherPrograms;
    std::vector<DWORD> m_started;
};

}  // namespace Test
}  // namespace Tessar
