#include "common/FileFinder.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace Tessar {
namespace {

// Records the walk as "D folder" and "F folder|name" lines; can end it at
// a given event.
class Recorder : public VQFileFinderEnumCallback {
public:
    int32_t ShouldStop() override {
        ++m_asked;
        return m_asked == m_stopAtAsk ? m_stopValue : 0;
    }
    int32_t OnDirectory(const std::wstring& folder) override {
        events.push_back(L"D " + folder);
        return events.size() == m_failAtEvent ? 1 : 0;
    }
    int32_t OnFile(const std::wstring& name, const std::wstring& folder) override {
        events.push_back(L"F " + folder + L"|" + name);
        return events.size() == m_failAtEvent ? 1 : 0;
    }

    void StopAtAsk(int ask, int32_t value) {
        m_stopAtAsk = ask;
        m_stopValue = value;
    }
    void FailAtEvent(size_t event) { m_failAtEvent = event; }

    std::vector<std::wstring> events;

private:
    int m_asked = 0;
    int m_stopAtAsk = -1;
    int32_t m_stopValue = 0;
    size_t m_failAtEvent = 0;
};

class FileFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"root\\f1.txt", L"root\\f2.txt", L"root\\A\\a1.txt", L"root\\A\\AA\\aa1.txt",
                                    L"root\\B\\b1.txt", L"root\\Skip\\s1.txt"})
            ASSERT_TRUE(folder.WriteFile(name, "x"));
        root = folder.PathOf(L"root");
    }
    size_t IndexOf(const std::vector<std::wstring>& events, const std::wstring& event) {
        return static_cast<size_t>(std::find(events.begin(), events.end(), event) - events.begin());
    }

    VQTempFolder folder;
    std::wstring root;
};

TEST_F(FileFinderTest, IteratorListsEntries) {
    FindFileIterator finder;
    FindFileEntry entry;
    std::set<std::wstring> names;
    bool sawDots = false;
    for (bool found = finder.First(root + L"\\*", entry); found; found = finder.Next(entry)) {
        if (entry.IsDots()) {
            sawDots = true;
            continue;
        }
        names.insert(entry.name);
        if (entry.name == L"f1.txt") {
            EXPECT_EQ(1u, entry.size);
            EXPECT_FALSE(entry.IsFolder());
            EXPECT_NE(0u, entry.lastWriteTime);
        } else if (entry.name == L"A") {
            EXPECT_TRUE(entry.IsFolder());
        }
    }
    EXPECT_TRUE(sawDots);
    EXPECT_EQ((std::set<std::wstring>{L"f1.txt", L"f2.txt", L"A", L"B", L"Skip"}), names);
    finder.Close();
    EXPECT_FALSE(finder.Next(entry));
    EXPECT_FALSE(finder.First(root + L"\\nothing*", entry));
}

TEST_F(FileFinderTest, WalksFilesFirstThenSubfoldersDepthFirst) {
    Recorder recorder;
    VQFileFinder finder(&recorder, L"");
    ASSERT_TRUE(finder.Enum(root + L"\\"));
    const std::vector<std::wstring>& e = recorder.events;
    ASSERT_EQ(11u, e.size());
    EXPECT_EQ(L"D " + root, e[0]);
    // Files of the root come before any subfolder is entered.
    std::set<std::wstring> firstFiles(e.begin() + 1, e.begin() + 3);
    EXPECT_EQ((std::set<std::wstring>{L"F " + root + L"|f1.txt", L"F " + root + L"|f2.txt"}), firstFiles);
    // Each subtree is walked whole before the next one starts.
    size_t a = IndexOf(e, L"D " + root + L"\\A");
    size_t b = IndexOf(e, L"D " + root + L"\\B");
    size_t s = IndexOf(e, L"D " + root + L"\\Skip");
    ASSERT_LT(a, e.size());
    EXPECT_EQ(L"F " + root + L"\\A|a1.txt", e[a + 1]);
    EXPECT_EQ(L"D " + root + L"\\A\\AA", e[a + 2]);
    EXPECT_EQ(L"F " + root + L"\\A\\AA|aa1.txt", e[a + 3]);
    EXPECT_EQ(L"F " + root + L"\\B|b1.txt", e[b + 1]);
    EXPECT_EQ(L"F " + root + L"\\Skip|s1.txt", e[s + 1]);
}

TEST_F(FileFinderTest, PatternsSkipWholeSubtrees) {
    Recorder recorder;
    VQFileFinder finder(&recorder, L"*\\skip;*\\a\\aa");
    ASSERT_TRUE(finder.Enum(root));
    std::set<std::wstring> events(recorder.events.begin(), recorder.events.end());
    EXPECT_EQ(7u, events.size());
    EXPECT_EQ(0u, events.count(L"D " + root + L"\\Skip"));
    EXPECT_EQ(0u, events.count(L"F " + root + L"\\Skip|s1.txt"));
    EXPECT_EQ(0u, events.count(L"D " + root + L"\\A\\AA"));
    EXPECT_EQ(1u, events.count(L"F " + root + L"\\A|a1.txt"));

    Recorder exact;
    VQFileFinder caseSensitive(&exact, L"*\\skip");
    caseSensitive.SetIgnoreCase(false);
    ASSERT_TRUE(caseSensitive.Enum(root));
    EXPECT_EQ(11u, exact.events.size());
}

TEST_F(FileFinderTest, NotRecursiveStaysInTheRoot) {
    Recorder recorder;
    VQFileFinder finder(&recorder, L"");
    finder.SetRecursive(false);
    ASSERT_TRUE(finder.Enum(root));
    EXPECT_EQ(3u, recorder.events.size());
}

TEST_F(FileFinderTest, CallbackEndsTheWalk) {
    // The root's entries come in the file system's order, so a stop at the
    // first question leaves the root's first file reported or not.
    struct Case {
        const char* name;
        int stopAtAsk;
        int32_t stopValue;
        size_t failAtEvent;
        bool result;
        size_t fewestEvents;
        size_t mostEvents;
    } cases[] = {
        {"ShouldStop above 0", 1, 1, 0, false, 1, 2},
        {"ShouldStop below 0 means nothing", 1, -1, 0, true, 11, 11},
        {"OnDirectory non-zero", -1, 0, 1, false, 1, 1},
        {"OnFile non-zero", -1, 0, 2, false, 2, 2},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        recorder.StopAtAsk(c.stopAtAsk, c.stopValue);
        recorder.FailAtEvent(c.failAtEvent);
        VQFileFinder finder(&recorder, L"");
        EXPECT_EQ(c.result, finder.Enum(root)) << c.name;
        EXPECT_GE(recorder.events.size(), c.fewestEvents) << c.name;
        EXPECT_LE(recorder.events.size(), c.mostEvents) << c.name;
    }
}

TEST_F(FileFinderTest, RootThatIsAFileOrMissing) {
    Recorder recorder;
    VQFileFinder finder(&recorder, L"");
    ASSERT_TRUE(finder.Enum(folder.Path() + L"/root/A/a1.txt"));
    ASSERT_EQ(1u, recorder.events.size());
    EXPECT_EQ(L"F " + root + L"\\A|a1.txt", recorder.events[0]);

    Recorder stopper;
    stopper.StopAtAsk(1, 1);
    VQFileFinder stopped(&stopper, L"");
    EXPECT_FALSE(stopped.Enum(root + L"\\f1.txt"));

    EXPECT_FALSE(finder.Enum(root + L"\\missing"));
    VQFileFinder silent(nullptr, L"");
    EXPECT_TRUE(silent.Enum(root));
}

}  // namespace
}  // namespace Tessar
