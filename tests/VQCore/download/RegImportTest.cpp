// The .reg import against Wine's own regedit: the same file, imported by
// "regedit /s" into one scratch tree and by ImportRegKeys into another,
// must leave the same keys and values (type and bytes).

#include "VQCore/download/RegFileApply.h"
#include "VQCore/download/RegParser.h"

#include "common/Registry.h"
#include "common/TextUtil.h"
#include "tests/VQCore/download/RegTestUtil.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace Tessar {
namespace {

using RegTest::Encoding;

// The same starting content in both trees: values to overwrite and delete,
// and a tree for [-key] lines to remove, deepest key first (see
// KeyDeletionTakesOneKeyNotATree for the difference with regedit).
void MakeStartState(const VQScratchRegistryKey& scratch) {
    VQRegKeyHolder holder;
    ASSERT_TRUE(holder.RegCreateKeyPath(scratch.Root(), scratch.PathOf(L"Values")));
    VQRegValue keep(REG_SZ);
    keep.text = std::wstring(L"old\0", 4);
    VQRegValue gone(REG_DWORD);
    gone.number = 5;
    VQRegValue retyped(REG_BINARY);
    retyped.bytes.Resize(1);
    retyped.bytes.data[0] = 0xEE;
    ASSERT_TRUE(holder.RegSetValueFlush(L"keep", keep));
    ASSERT_TRUE(holder.RegSetValueFlush(L"gone", gone));
    ASSERT_TRUE(holder.RegSetValueFlush(L"retyped", retyped));
    ASSERT_TRUE(holder.RegCreateKeyPath(scratch.Root(), scratch.PathOf(L"Tree\\Child\\Grandchild")));
    ASSERT_TRUE(holder.RegSetValueFlush(L"deep", gone));
    ASSERT_TRUE(holder.RegCreateKeyPath(scratch.Root(), scratch.PathOf(L"Tree")));
    ASSERT_TRUE(holder.RegSetValueFlush(L"top", keep));
}

std::wstring ImportText(Encoding encoding) {
    std::wstring header = encoding == Encoding::kUtf16 ? L"Windows Registry Editor Version 5.00" : L"REGEDIT4";
    return header +
           L"\r\n"
           L"\r\n"
           L"; a comment = not a value\r\n"
           L"# so is this=one\r\n"
           L"\r\n"
           L"[%ROOT%\\Strings]\r\n"
           L"\"plain\"=\"value\"\r\n"
           L"\"escapes\"=\"back\\\\slash \\\"quoted\\\" end\"\r\n"
           L"@=\"default\"\r\n"
           L"\"empty\"=\"\"\r\n"
           L"\"中文名\"=\"游戏值\"\r\n"
           L"\"with = sign\"=\"a=b\"\r\n"
           L"  \"indented\" = \"around the equals sign\"\r\n"
           L"\"commented\"=\"x\" ; note\r\n"
           L"\r\n"
           L"[%ROOT%\\Numbers]\r\n"
           L"\"one\"=dword:00000001\r\n"
           L"\"max\"=dword:ffffffff\r\n"
           L"\"short\"=dword:1f\r\n"
           L"\r\n"
           L"[%ROOT%\\Hex]\r\n"
           L"\"binary\"=hex:00,01,fe,ff\r\n"
           L"\"empty binary\"=hex:\r\n"
           L"\"continued\"=hex:01,02,03,\\\r\n"
           L"  04,05,\\\r\n"
           L"  06\r\n"
           L"\"expand\"=hex(2):" +
           RegTest::HexOfText(std::wstring(L"%TEMP%\\游戏\0", 11), encoding) +
           L"\r\n"
           L"\"multi\"=hex(7):" +
           RegTest::HexOfText(std::wstring(L"a\0游戏\0\0", 6), encoding) +
           L"\r\n"
           L"\"multi continued\"=hex(7):" +
           RegTest::HexOfText(std::wstring(L"x\0", 2), encoding) +
           L",\\\r\n"
           L"  " +
           RegTest::HexOfText(std::wstring(L"y\0\0", 3), encoding) +
           L"\r\n"
           L"\"none\"=hex(0):01,02\r\n"
           L"\"none empty\"=hex(0):\r\n"
           L"\"qword\"=hex(b):01,02,03,04,05,06,07,08\r\n"
           L"\"dword bytes\"=hex(4):78,56,34,12\r\n"
           L"\"big\"=hex(5):01,02,03,04\r\n"
           L"\r\n"
           L"[%ROOT%\\Values]\r\n"
           L"\"keep\"=\"new\"\r\n"
           L"\"retyped\"=dword:7\r\n"
           L"\"gone\"=-\r\n"
           L"\"never there\"=-\r\n"
           L"\r\n"
           L"[-%ROOT%\\Tree\\Child\\Grandchild]\r\n"
           L"[-%ROOT%\\Tree\\Child]\r\n"
           L"[-%ROOT%\\Tree]\r\n"
           L"[-%ROOT%\\Never]\r\n"
           L"\r\n"
           L"[%ROOT%\\New\\Deep\\游戏]\r\n"
           L"\"x\"=\"y\"\r\n"
           L"\r\n"
           L"[%ROOT%\\Empty]\r\n";
}

struct Variant {
    const char* name;
    Encoding encoding;
    bool lineFeedsOnly;
    bool finalLineBreak;
};

class RegImportTest : public ::testing::TestWithParam<Variant> {};

TEST_P(RegImportTest, ImportLeavesWhatRegeditLeaves) {
    const Variant& variant = GetParam();
    VQScratchRegistryKey byRegedit, byImport;
    ASSERT_TRUE(byRegedit.IsValid() && byImport.IsValid());
    MakeStartState(byRegedit);
    MakeStartState(byImport);

    std::wstring text = ImportText(variant.encoding);
    if (variant.lineFeedsOnly)
        ReplaceAll(text, L"\r\n", L"\n");
    if (!variant.finalLineBreak)
        text.erase(text.find_last_not_of(L"\r\n") + 1);
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"regedit.reg",
                                 RegTest::RegFileBytes(RegTest::WithRoot(text, byRegedit.FullName()), variant.encoding)));
    ASSERT_TRUE(folder.WriteFile(L"import.reg",
                                 RegTest::RegFileBytes(RegTest::WithRoot(text, byImport.FullName()), variant.encoding)));

    ASSERT_TRUE(RegTest::RunRegedit(folder.PathOf(L"regedit.reg")));
    VQRegParser parser;
    parser.LoadRegFile(folder.PathOf(L"import.reg"));
    std::deque<VQRegKey> undo;
    EXPECT_TRUE(ImportRegKeys(undo, parser.Keys()));
    EXPECT_EQ(parser.Keys().size(), undo.size());

    std::map<std::string, std::string> expected = SnapshotRegistryTree(byRegedit.Root(), byRegedit.Path());
    std::map<std::string, std::string> actual = SnapshotRegistryTree(byImport.Root(), byImport.Path());
    // Proof that regedit read the file at all.
    EXPECT_EQ(1u, expected.count("\\Hex\\:qword"));
    EXPECT_EQ(0u, expected.count("\\Tree\\"));
    EXPECT_EQ(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Files, RegImportTest,
                         ::testing::Values(Variant{"Ansi936", Encoding::kAnsi936, false, true},
                                           Variant{"Utf16", Encoding::kUtf16, false, true},
                                           Variant{"Ansi936LineFeeds", Encoding::kAnsi936, true, true},
                                           Variant{"Utf16LineFeedsNoFinalBreak", Encoding::kUtf16, true, false}),
                         [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// A deliberate difference from regedit: "[-key]" deletes that key only
// (RegDeleteKeyW), so a key that still has sub-keys stays whole, where
// regedit removes the tree. A package removes a tree by naming its keys
// deepest first, as ImportLeavesWhatRegeditLeaves does.
TEST(RegImportDifferenceTest, KeyDeletionTakesOneKeyNotATree) {
    VQScratchRegistryKey byRegedit, byImport;
    ASSERT_TRUE(byRegedit.IsValid() && byImport.IsValid());
    MakeStartState(byRegedit);
    MakeStartState(byImport);
    const std::wstring text = L"REGEDIT4\r\n[-%ROOT%\\Tree]\r\n";
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"regedit.reg", RegTest::RegFileBytes(RegTest::WithRoot(text, byRegedit.FullName()),
                                                                       Encoding::kAnsi936)));
    ASSERT_TRUE(folder.WriteFile(L"import.reg", RegTest::RegFileBytes(RegTest::WithRoot(text, byImport.FullName()),
                                                                      Encoding::kAnsi936)));
    ASSERT_TRUE(RegTest::RunRegedit(folder.PathOf(L"regedit.reg")));
    VQRegParser parser;
    parser.LoadRegFile(folder.PathOf(L"import.reg"));
    std::deque<VQRegKey> undo;
    EXPECT_TRUE(ImportRegKeys(undo, parser.Keys()));

    EXPECT_FALSE(byRegedit.KeyExists(L"Tree"));
    std::map<std::string, std::string> kept = SnapshotRegistryTree(byImport.Root(), byImport.Path());
    EXPECT_EQ(1u, kept.count("\\Tree\\:top"));
    EXPECT_EQ(1u, kept.count("\\Tree\\Child\\Grandchild\\:deep"));
}

// Lines where the import does not do what Wine's regedit does, each with
// the reason. Every line goes into a file of its own.
TEST(RegImportDifferenceTest, DeliberateDifferencesFromRegedit) {
    struct Case {
        const char* name;
        const wchar_t* line;
        const char* regedit;  // what regedit leaves for "v"; "" for nothing
        const char* import;   // what the import leaves; "" for nothing
        const char* failure;  // what loading the file throws, if anything
        const char* why;
    } cases[] = {
        {"qword of seven bytes", L"\"v\"=hex(b):01,02,03,04,05,06,07", "type 11: 01 02 03 04 05 06 07", "",
         "Parsing failed.", "a byte count the type cannot hold is broken data; the file is refused, not half-written"},
        {"dword of three bytes", L"\"v\"=hex(4):01,02,03", "type 4: 01 02 03", "", "Parsing failed.",
         "a byte count the type cannot hold is broken data; the file is refused, not half-written"},
        {"dword with 0x", L"\"v\"=dword:0x10", "", "type 4: 10 00 00 00", "",
         "the format's number reader takes an optional 0x"},
        {"backslash-n in a string", L"\"v\"=\"a\\nb\"", "type 1: 61 00 0a 00 62 00 00 00",
         "type 1: 61 00 5c 00 6e 00 62 00 00 00", "",
         "only \\\\ and \\\" are escapes in the format; Wine's regedit also reads \\n"},
    };
    for (const Case& c : cases) {
        VQScratchRegistryKey byRegedit, byImport;
        std::wstring text = std::wstring(L"REGEDIT4\r\n[%ROOT%]\r\n") + c.line + L"\r\n";
        VQTempFolder folder;
        ASSERT_TRUE(folder.WriteFile(L"regedit.reg", RegTest::RegFileBytes(RegTest::WithRoot(text, byRegedit.FullName()),
                                                                           Encoding::kAnsi936)));
        ASSERT_TRUE(folder.WriteFile(L"import.reg", RegTest::RegFileBytes(RegTest::WithRoot(text, byImport.FullName()),
                                                                          Encoding::kAnsi936)));
        ASSERT_TRUE(RegTest::RunRegedit(folder.PathOf(L"regedit.reg")));
        std::string failure;
        try {
            VQRegParser parser;
            parser.LoadRegFile(folder.PathOf(L"import.reg"));
            std::deque<VQRegKey> undo;
            EXPECT_TRUE(ImportRegKeys(undo, parser.Keys())) << c.name;
        } catch (const std::exception& error) {
            failure = error.what();
        }
        EXPECT_EQ(c.failure, failure) << c.name;
        EXPECT_EQ(c.regedit, SnapshotRegistryTree(byRegedit.Root(), byRegedit.Path())["\\:v"])
            << c.name << " (regedit)";
        EXPECT_EQ(c.import, SnapshotRegistryTree(byImport.Root(), byImport.Path())["\\:v"])
            << c.name << ": " << c.why;
    }
}

}  // namespace
}  // namespace Tessar
