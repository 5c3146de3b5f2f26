// The import-table hook in this test process: small libraries (built with
// the tests) call waveOutWrite and timeGetTime through their import
// tables, so the calls show whether a table was rewritten; this program's
// own entries are read directly.

#include "VQFlash/ImportHook.h"
#include "VQFlash/MuteHook.h"

#include "tests/support/LocalServer.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <string>
#include <vector>

// This program's own import table entries (the linker's names for them).
extern "C" FARPROC __imp_timeGetTime;
extern "C" FARPROC __imp_waveOutWrite;
extern "C" FARPROC __imp_LoadLibraryW;

namespace Tessar {
namespace {

using ProbeWaveOutWrite = MMRESULT (*)(HWAVEOUT, LPWAVEHDR, UINT);
using ProbeTimeGetTime = DWORD (*)();

struct Probe {
    std::string name;
    HMODULE module = nullptr;
    ProbeWaveOutWrite waveOutWrite = nullptr;
    ProbeTimeGetTime timeGetTime = nullptr;
};

Probe LoadProbe(const std::string& name) {
    Probe probe;
    probe.name = name;
    std::wstring path = Test::UnixToWindowsPath(Test::BinaryDirUnix() + "/fixtures/hook/HookProbe" + name + ".dll");
    probe.module = ::LoadLibraryW(path.c_str());
    if (probe.module != nullptr) {
        probe.waveOutWrite = reinterpret_cast<ProbeWaveOutWrite>(::GetProcAddress(probe.module, "ProbeWaveOutWrite"));
        probe.timeGetTime = reinterpret_cast<ProbeTimeGetTime>(::GetProcAddress(probe.module, "ProbeTimeGetTime"));
    }
    return probe;
}

FARPROC Exported(const wchar_t* module, const char* name) {
    return ::GetProcAddress(::GetModuleHandleW(module), name);
}

// This program's own import table entries, read afresh each time (the
// compiler takes an imported function's address for a constant).

FARPROC ReadEntry(FARPROC& entry) {
    return *static_cast<volatile FARPROC*>(&entry);
}
FARPROC OwnTimeGetTimeEntry() {
    return ReadEntry(__imp_timeGetTime);
}
FARPROC OwnWaveOutWriteEntry() {
    return ReadEntry(__imp_waveOutWrite);
}
FARPROC OwnLoadLibraryWEntry() {
    return ReadEntry(__imp_LoadLibraryW);
}

const DWORD kFakeTime = 0x0BADC10C;
std::atomic<int> g_fakeClockCalls{0};

DWORD WINAPI FakeTimeGetTime() {
    ++g_fakeClockCalls;
    return kFakeTime;
}

FARPROC FakeClock() {
    return reinterpret_cast<FARPROC>(&FakeTimeGetTime);
}

// Whether a probe's waveOutWrite reached MutedWaveOutWrite with sound
// muted: the buffer comes back silent, and the result is the real
// function's for the same (unusable) device.
struct WaveResult {
    bool silenced;
    MMRESULT result;
};

WaveResult WriteThrough(ProbeWaveOutWrite write) {
    std::vector<char> samples(64, 0x55);
    WAVEHDR header = {};
    header.lpData = samples.data();
    header.dwBufferLength = static_cast<DWORD>(samples.size());
    MMRESULT result = write(reinterpret_cast<HWAVEOUT>(static_cast<ULONG_PTR>(0x7357)), &header, sizeof(header));
    bool silenced = true;
    for (char sample : samples) silenced = silenced && sample == 0;
    return {silenced, result};
}

MMRESULT RealWriteResult() {
    auto real = reinterpret_cast<ProbeWaveOutWrite>(Exported(L"winmm.dll", "waveOutWrite"));
    return WriteThrough(real).result;
}

class ImportHookTest : public ::testing::Test {
protected:
    // Loaded before any hook exists, as the game's modules are.
    static void SetUpTestSuite() {
        s_loaded = new std::vector<Probe>{LoadProbe("Lower"), LoadProbe("Upper")};
    }
    static void TearDownTestSuite() {
        for (const Probe& probe : *s_loaded)
            if (probe.module != nullptr)
                ::FreeLibrary(probe.module);
        delete s_loaded;
        s_loaded = nullptr;
    }
    void SetUp() override {
        for (const Probe& probe : *s_loaded) {
            ASSERT_NE(nullptr, probe.timeGetTime) << probe.name;
            ASSERT_NE(nullptr, probe.waveOutWrite) << probe.name;
        }
        g_fakeClockCalls = 0;
        SetSoundMuted(false);
    }
    void TearDown() override {
        RemoveMuteHook();
        SetSoundMuted(false);
    }

    static std::vector<Probe>* s_loaded;
};

std::vector<Probe>* ImportHookTest::s_loaded = nullptr;

TEST_F(ImportHookTest, ClockHookReachesLoadedModulesInEitherLetterCaseAndComesOff) {
    const FARPROC real = Exported(L"winmm.dll", "timeGetTime");
    ASSERT_NE(nullptr, real);
    ASSERT_EQ(real, OwnTimeGetTimeEntry());
    VQImportHook hook(L"winmm.dll", L"timeGetTime", FakeClock(), false, false);
    hook.Install();
    ASSERT_TRUE(hook.IsInstalled());
    EXPECT_EQ(real, hook.GetRealFunction());

    int calls = 0;
    for (const Probe& probe : *s_loaded) {
        EXPECT_EQ(kFakeTime, probe.timeGetTime()) << probe.name;
        EXPECT_EQ(++calls, g_fakeClockCalls.load()) << probe.name;
    }
    // Own module excluded: this program still reads the real clock.
    EXPECT_EQ(real, OwnTimeGetTimeEntry());

    hook.Remove();
    EXPECT_FALSE(hook.IsInstalled());
    for (const Probe& probe : *s_loaded) {
        EXPECT_NE(kFakeTime, probe.timeGetTime()) << probe.name;
    }
    EXPECT_EQ(calls, g_fakeClockCalls.load());
    EXPECT_EQ(real, OwnTimeGetTimeEntry());
}

TEST_F(ImportHookTest, MuteHookSilencesOwnAndLoadedModulesOnlyWhileMuted) {
    const FARPROC real = Exported(L"winmm.dll", "waveOutWrite");
    ASSERT_EQ(real, OwnWaveOutWriteEntry());
    const MMRESULT realResult = RealWriteResult();
    VQImportHook* hook = InstallMuteHook();
    ASSERT_NE(nullptr, hook);
    ASSERT_TRUE(hook->IsInstalled());
    EXPECT_EQ(hook, InstallMuteHook());  // one hook per process
    EXPECT_EQ(reinterpret_cast<FARPROC>(&MutedWaveOutWrite), OwnWaveOutWriteEntry());

    struct Case {
        const char* name;
        bool muted;
    } cases[] = {{"muted", true}, {"sound on", false}};
    for (const auto& c : cases) {
        SetSoundMuted(c.muted);
        for (const Probe& probe : *s_loaded) {
            WaveResult wave = WriteThrough(probe.waveOutWrite);
            EXPECT_EQ(c.muted, wave.silenced) << c.name << " " << probe.name;
            EXPECT_EQ(realResult, wave.result) << c.name << " " << probe.name;
        }
        WaveResult own = WriteThrough(reinterpret_cast<ProbeWaveOutWrite>(OwnWaveOutWriteEntry()));
        EXPECT_EQ(c.muted, own.silenced) << c.name;
    }

    RemoveMuteHook();
    EXPECT_EQ(nullptr, GetMuteHook());
    EXPECT_EQ(real, OwnWaveOutWriteEntry());
    SetSoundMuted(true);
    for (const Probe& probe : *s_loaded) {
        WaveResult wave = WriteThrough(probe.waveOutWrite);
        EXPECT_FALSE(wave.silenced) << probe.name;
        EXPECT_EQ(realResult, wave.result) << probe.name;
    }
}

TEST_F(ImportHookTest, ModuleLoadedLaterGetsOnlyTheWatchingHook) {
    const FARPROC realLoadLibraryW = Exported(L"kernel32.dll", "LoadLibraryW");
    ASSERT_EQ(realLoadLibraryW, OwnLoadLibraryWEntry());
    InstallMuteHook();
    SetSoundMuted(true);
    {
        VQImportHook clock(L"winmm.dll", L"timeGetTime", FakeClock(), false, true);
        clock.Install();
        ASSERT_TRUE(clock.IsInstalled());
        // The LoadLibrary hooks include this program's own module.
        EXPECT_NE(realLoadLibraryW, OwnLoadLibraryWEntry());

        Probe lateClock = LoadProbe("LateClock");
        ASSERT_NE(nullptr, lateClock.timeGetTime);
        EXPECT_EQ(kFakeTime, lateClock.timeGetTime());
        EXPECT_EQ(1, g_fakeClockCalls.load());
        // The mute hook does not watch: the new module plays sound as it is.
        EXPECT_FALSE(WriteThrough(lateClock.waveOutWrite).silenced);
        for (const Probe& probe : *s_loaded) EXPECT_TRUE(WriteThrough(probe.waveOutWrite).silenced) << probe.name;

        clock.Remove();
        EXPECT_NE(kFakeTime, lateClock.timeGetTime());
        EXPECT_EQ(1, g_fakeClockCalls.load());
        // The last watching hook took the LoadLibrary hooks with it.
        EXPECT_EQ(realLoadLibraryW, OwnLoadLibraryWEntry());
        ::FreeLibrary(lateClock.module);
    }
    Probe lateMute = LoadProbe("LateMute");
    ASSERT_NE(nullptr, lateMute.waveOutWrite);
    EXPECT_FALSE(WriteThrough(lateMute.waveOutWrite).silenced);
    EXPECT_NE(kFakeTime, lateMute.timeGetTime());
    ::FreeLibrary(lateMute.module);
}

TEST_F(ImportHookTest, LoadLibraryHooksStayWhileAnyWatchingHookRemains) {
    const FARPROC realLoadLibraryW = Exported(L"kernel32.dll", "LoadLibraryW");
    auto* first = new VQImportHook(L"winmm.dll", L"timeGetTime", FakeClock(), false, true);
    auto* second = new VQImportHook(L"winmm.dll", L"waveOutWrite", reinterpret_cast<FARPROC>(&MutedWaveOutWrite),
                                    false, true);
    first->Install();
    second->Install();
    EXPECT_NE(realLoadLibraryW, OwnLoadLibraryWEntry());
    delete first;  // the destructor removes
    EXPECT_NE(realLoadLibraryW, OwnLoadLibraryWEntry());
    for (const Probe& probe : *s_loaded) EXPECT_NE(kFakeTime, probe.timeGetTime()) << probe.name;
    delete second;
    EXPECT_EQ(realLoadLibraryW, OwnLoadLibraryWEntry());
    SetSoundMuted(true);
    for (const Probe& probe : *s_loaded) EXPECT_FALSE(WriteThrough(probe.waveOutWrite).silenced) << probe.name;
}

TEST_F(ImportHookTest, HooksThatCannotResolvePatchNothing) {
    struct Case {
        const char* name;
        const wchar_t* module;
        const wchar_t* function;
        FARPROC replacement;
    } cases[] = {
        {"no replacement", L"winmm.dll", L"timeGetTime", nullptr},
        {"module not loaded", L"vqnosuchmodule.dll", L"timeGetTime", FakeClock()},
        {"function missing", L"winmm.dll", L"vqNoSuchFunction", FakeClock()},
    };
    for (const auto& c : cases) {
        VQImportHook hook(c.module, c.function, c.replacement, true, false);
        hook.Install();
        EXPECT_FALSE(hook.IsInstalled()) << c.name;
        for (const Probe& probe : *s_loaded) EXPECT_NE(kFakeTime, probe.timeGetTime()) << c.name << " " << probe.name;
        EXPECT_EQ(0, g_fakeClockCalls.load()) << c.name;
        hook.Remove();  // harmless when not installed
    }
}

TEST_F(ImportHookTest, InstallTwiceAndReinstallAfterRemove) {
    VQImportHook hook(L"winmm.dll", L"timeGetTime", FakeClock(), true, false);
    hook.Install();
    hook.Install();
    EXPECT_EQ(reinterpret_cast<FARPROC>(&FakeTimeGetTime), OwnTimeGetTimeEntry());
    hook.Remove();
    EXPECT_EQ(Exported(L"winmm.dll", "timeGetTime"), OwnTimeGetTimeEntry());
    hook.Install();
    ASSERT_TRUE(hook.IsInstalled());
    EXPECT_EQ(kFakeTime, (*s_loaded)[0].timeGetTime());
    hook.Remove();
    EXPECT_NE(kFakeTime, (*s_loaded)[0].timeGetTime());
}

}  // namespace
}  // namespace Tessar
