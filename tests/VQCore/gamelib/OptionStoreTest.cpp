#include "VQCore/gamelib/OptionStore.h"

#include "common/PathText.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

std::string OptionsFile(const std::string& version, const std::string& options) {
    return "<VERSION>" + version + "</VERSION>\n<OPTIONS>" + options + "</OPTIONS>\n";
}

// Position of a tag in the text; npos fails the caller's ordering checks.
size_t At(const std::string& text, const char* tag) {
    size_t pos = text.find(tag);
    EXPECT_NE(std::string::npos, pos) << tag << " in " << text;
    return pos;
}

TEST(OptionValueTest, KeepsItsKind) {
    OptionValue none;
    EXPECT_EQ(OptionValue::kNone, none.Kind());
    EXPECT_EQ(-3, none.GetInt(-3));
    EXPECT_EQ(L"d", none.GetText(L"d"));

    OptionValue number;
    number.SetInt(-7);
    EXPECT_EQ(OptionValue::kInt, number.Kind());
    EXPECT_EQ(4u, number.Bytes().size());
    EXPECT_EQ(-7, number.GetInt(0));
    EXPECT_EQ(L"d", number.GetText(L"d"));

    OptionValue text;
    text.SetText(L"游戏");
    EXPECT_EQ(OptionValue::kText, text.Kind());
    EXPECT_EQ(6u, text.Bytes().size());  // two code units and the zero
    EXPECT_EQ(L"游戏", text.GetText(L"d"));
    EXPECT_EQ(9, text.GetInt(9));
    text.SetText(L"");
    EXPECT_EQ(L"", text.GetText(L"d"));
    text.SetInt(12);
    EXPECT_EQ(12, text.GetInt(0));
}

TEST(OptionStoreTest, CreateAndClose) {
    OptionStore* store = nullptr;
    ASSERT_TRUE(OptionStore::Create(store));
    ASSERT_NE(nullptr, store);
    EXPECT_FALSE(store->IsLoaded());
    EXPECT_EQ(L"", store->GetVersion());
    OptionStore::Close(store);
    EXPECT_EQ(nullptr, store);
    OptionStore::Close(store);  // an empty holder is fine
}

TEST(OptionStoreTest, SaveWritesSectionsAndKeysSorted) {
    VQTempFolder temp;
    OptionStore store;
    store.SetVersion(L"1.7");
    store.ValueAt(L"UPDATE", L"b").SetInt(5);
    store.ValueAt(L"UPDATE", L"A").SetText(L"text");
    store.ValueAt(L"UPDATE", L"a").SetInt(-2);
    store.ValueAt(L"GENERIC", L"Empty");
    store.ValueAt(L"GENERIC", L"Blank").SetText(L"");
    ASSERT_TRUE(store.Save(temp.PathOf(L"options.xml")));

    std::string text = temp.ReadFile(L"options.xml");
    EXPECT_LT(At(text, "<VERSION>1.7</VERSION>"), At(text, "<OPTIONS>"));
    EXPECT_LT(At(text, "<GENERIC>"), At(text, "<UPDATE>"));
    EXPECT_LT(At(text, "<A>text</A>"), At(text, "<a>-2</a>"));
    EXPECT_LT(At(text, "<a>-2</a>"), At(text, "<b>5</b>"));
    At(text, "<Empty />");
    At(text, "<Blank />");
}

TEST(OptionStoreTest, GetIntCountsLeadingDigits) {
    struct Case {
        const char* text;
        uint32_t expected;
    };
    const Case cases[] = {
        {"12abc", 12}, {"-1", 0}, {"", 0}, {"4294967297", 1}, {"0070", 70}, {"4294967295", 4294967295u},
    };
    VQTempFolder temp;
    for (const Case& c : cases) {
        ASSERT_TRUE(temp.WriteFile(L"n.xml", OptionsFile("1", std::string("<S><K>") + c.text + "</K></S>")));
        OptionStore store;
        ASSERT_TRUE(store.Open(temp.PathOf(L"n.xml")));
        EXPECT_EQ(c.expected, store.GetInt(L"S", L"K", 99)) << c.text;
        EXPECT_EQ(99u, store.GetInt(L"S", L"Other", 99)) << c.text;
        EXPECT_EQ(99u, store.GetInt(L"T", L"K", 99)) << c.text;
    }
}

TEST(OptionStoreTest, IntegersComeBackAsText) {
    VQTempFolder temp;
    OptionStore store;
    store.ValueAt(L"S", L"K").SetInt(5);
    EXPECT_EQ(L"default", store.GetText(L"S", L"K", L"default"));
    EXPECT_EQ(5u, store.GetInt(L"S", L"K", 0));
    ASSERT_TRUE(store.Save(temp.PathOf(L"i.xml")));

    OptionStore read;
    ASSERT_TRUE(read.Open(temp.PathOf(L"i.xml")));
    EXPECT_TRUE(read.IsLoaded());
    EXPECT_TRUE(read.FoundOptions());
    ASSERT_NE(nullptr, read.Find(L"S", L"K"));
    EXPECT_EQ(OptionValue::kText, read.Find(L"S", L"K")->Kind());
    EXPECT_EQ(L"5", read.GetText(L"S", L"K", L"default"));
    EXPECT_EQ(5u, read.GetInt(L"S", L"K", 0));
}

TEST(OptionStoreTest, EmptyKeyElementIsEmptyText) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(L"e.xml", OptionsFile("1", "<S><K/><L></L></S>")));
    OptionStore store;
    ASSERT_TRUE(store.Open(temp.PathOf(L"e.xml")));
    EXPECT_EQ(L"", store.GetText(L"S", L"K", L"default"));
    EXPECT_EQ(0u, store.GetInt(L"S", L"K", 9));
    EXPECT_EQ(L"", store.GetText(L"S", L"L", L"default"));
    EXPECT_EQ(L"default", store.GetText(L"S", L"M", L"default"));
}

TEST(OptionStoreTest, VersionIsReplacedOnlyByAText) {
    VQTempFolder temp;
    OptionStore store;
    store.SetVersion(L"kept");
    ASSERT_TRUE(temp.WriteFile(L"v.xml", "<VERSION/><OPTIONS/>"));
    ASSERT_TRUE(store.LoadFile(temp.PathOf(L"v.xml")));
    EXPECT_EQ(L"kept", store.GetVersion());
    ASSERT_TRUE(temp.WriteFile(L"v.xml", OptionsFile("2.0", "")));
    ASSERT_TRUE(store.LoadFile(temp.PathOf(L"v.xml")));
    EXPECT_EQ(L"2.0", store.GetVersion());
    EXPECT_EQ(temp.PathOf(L"v.xml"), store.GetFilePath());
}

TEST(OptionStoreTest, OpenWithoutFileChangesNothing) {
    VQTempFolder temp;
    OptionStore store;
    store.ValueAt(L"S", L"K").SetText(L"mine");
    EXPECT_FALSE(store.Open(temp.PathOf(L"missing.xml")));
    EXPECT_FALSE(store.IsLoaded());
    EXPECT_EQ(L"mine", store.GetText(L"S", L"K", L""));
}

TEST(OptionStoreTest, LoadReplacesAndMerges) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(
        L"m.xml", OptionsFile("1", "text<!-- note --><S><K>first</K><J>j<X>deep</X></J></S>"
                                   "<T><K>t</K></T><S><K>last</K><L>l</L></S>")));
    OptionStore store;
    store.ValueAt(L"OLD", L"K").SetText(L"gone");
    ASSERT_TRUE(store.Open(temp.PathOf(L"m.xml")));
    EXPECT_EQ(nullptr, store.Find(L"OLD", L"K"));
    EXPECT_EQ(2u, store.GetSections().size());
    EXPECT_EQ(L"last", store.GetText(L"S", L"K", L""));
    EXPECT_EQ(L"l", store.GetText(L"S", L"L", L""));
    EXPECT_EQ(L"j", store.GetText(L"S", L"J", L""));
    EXPECT_EQ(nullptr, store.Find(L"J", L"X"));
    EXPECT_EQ(nullptr, store.Find(L"S", L"X"));
    EXPECT_EQ(L"t", store.GetText(L"T", L"K", L""));
}

TEST(OptionStoreTest, DamagedFilesLoadEmpty) {
    struct Case {
        const char* name;
        std::string bytes;
        bool foundOptions;
    };
    const Case cases[] = {
        {"not well-formed", "<VERSION>3</VERSION><OPTIONS><S><K>1</K></S>", false},
        {"no OPTIONS", "<VERSION>3</VERSION><OTHER><S><K>1</K></S></OTHER>", false},
        {"empty file", "", false},
        {"good", OptionsFile("3", "<S><K>1</K></S>"), true},
    };
    VQTempFolder temp;
    for (const Case& c : cases) {
        ASSERT_TRUE(temp.WriteFile(L"d.xml", c.bytes));
        OptionStore store;
        store.ValueAt(L"S", L"K").SetText(L"before");
        ASSERT_TRUE(store.Open(temp.PathOf(L"d.xml"))) << c.name;
        EXPECT_TRUE(store.IsLoaded()) << c.name;
        EXPECT_EQ(c.foundOptions, store.FoundOptions()) << c.name;
        EXPECT_EQ(c.foundOptions ? L"1" : L"default", store.GetText(L"S", L"K", L"default")) << c.name;
    }
}

TEST(OptionStoreTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    VQTempFolder temp;
    OptionStore store;
    store.ValueAt(L"S", L"K").SetInt(1);
    EXPECT_FALSE(store.Save(temp.PathOf(L"no-such-folder\\o.xml")));

    ASSERT_TRUE(store.Save(temp.PathOf(L"o.xml")));
    const std::string before = temp.ReadFile(L"o.xml");
    HANDLE held = ::CreateFileW(temp.PathOf(L"o.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    store.ValueAt(L"S", L"K").SetInt(2);
    EXPECT_FALSE(store.Save(temp.PathOf(L"o.xml")));
    ::CloseHandle(held);
    EXPECT_EQ(before, temp.ReadFile(L"o.xml"));
    EXPECT_TRUE(store.Save(temp.PathOf(L"o.xml")));
    EXPECT_NE(std::string::npos, temp.ReadFile(L"o.xml").find("<K>2</K>"));
}

TEST(OptionStoreTest, NamesAndTextsOutsideAsciiRoundTrip) {
    VQTempFolder temp;
    OptionStore store;
    store.ValueAt(L"DOWNLOAD", L"CacheDir").SetText(L"D:\\游戏 & <下载>\\");
    ASSERT_TRUE(store.Save(temp.PathOf(L"配置.xml")));
    OptionStore read;
    ASSERT_TRUE(read.Open(temp.PathOf(L"配置.xml")));
    EXPECT_EQ(L"D:\\游戏 & <下载>\\", read.GetText(L"DOWNLOAD", L"CacheDir", L""));
    EXPECT_FALSE(read.ParseDocument(nullptr));
}

}  // namespace
}  // namespace Tessar
