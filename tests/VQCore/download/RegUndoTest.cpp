// The registry undo data: an import records what it changes, and applying
// the recorded block puts the exact former state back.

#include "VQCore/download/RegFileApply.h"
#include "VQCore/download/RegParser.h"
#include "VQCore/download/RegUndo.h"

#include "VQCore/download/ByteOrder.h"
#include "common/Registry.h"
#include "tests/VQCore/download/RegTestUtil.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Tessar {
namespace {

using RegTest::Encoding;

class RegUndoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.IsValid()); }

    void SetValue(const std::wstring& key, const std::wstring& name, uint32_t type,
                  const std::vector<unsigned char>& raw) {
        VQRegKeyHolder holder;
        ASSERT_TRUE(holder.RegCreateKeyPath(scratch.Root(), scratch.PathOf(key)));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(holder.Key(), name.c_str(), 0, type, raw.data(),
                                                  static_cast<DWORD>(raw.size())));
    }

    std::map<std::string, std::string> Snapshot() { return SnapshotRegistryTree(scratch.Root(), scratch.Path()); }

    // Loads the UTF-16 file text (with "%ROOT%") and imports it; the
    // import's result in imported.
    std::deque<VQRegKey> Import(const std::wstring& body, bool& imported) {
        std::wstring text = L"Windows Registry Editor Version 5.00\r\n" + RegTest::WithRoot(body, scratch.FullName());
        EXPECT_TRUE(folder.WriteFile(L"f.reg", RegTest::RegFileBytes(text, Encoding::kUtf16)));
        VQRegParser parser;
        parser.LoadRegFile(folder.PathOf(L"f.reg"));
        std::deque<VQRegKey> undo;
        imported = ImportRegKeys(undo, parser.Keys());
        return undo;
    }

    VQScratchRegistryKey scratch;
    VQTempFolder folder;
};

TEST_F(RegUndoTest, UndoRestoresTheExactFormerState) {
    // Values of every kind, including forms the .reg text cannot even
    // express (no terminator, REG_LINK, an empty REG_SZ of no bytes).
    SetValue(L"K", L"sz", REG_SZ, Utf16Raw(std::wstring(L"old\0", 4)));
    SetValue(L"K", L"unterminated", REG_SZ, Utf16Raw(L"raw"));
    SetValue(L"K", L"no bytes", REG_SZ, {});
    SetValue(L"K", L"bin", REG_BINARY, {1, 2, 3});
    SetValue(L"K", L"dw", REG_DWORD, {1, 0, 0, 0});
    SetValue(L"K", L"be", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 2});
    SetValue(L"K", L"multi", REG_MULTI_SZ, Utf16Raw(std::wstring(L"a\0\0b\0\0", 6)));
    SetValue(L"K", L"q", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    SetValue(L"K", L"none", REG_NONE, {9, 9});
    SetValue(L"K", L"link", REG_LINK, Utf16Raw(L"\\Registry\\Machine"));
    SetValue(L"K", L"", REG_SZ, Utf16Raw(std::wstring(L"old default\0", 12)));
    SetValue(L"K\\Sub", L"s", REG_SZ, Utf16Raw(std::wstring(L"1\0", 2)));
    SetValue(L"T", L"t", REG_QWORD, {8, 7, 6, 5, 4, 3, 2, 1});
    SetValue(L"T\\Child\\Grandchild", L"g", REG_NONE, {});
    SetValue(L"T\\Child", L"c", REG_EXPAND_SZ, Utf16Raw(std::wstring(L"%x%\0", 4)));
    SetValue(L"Existing", L"e", REG_DWORD, {0, 0, 0, 0});
    std::map<std::string, std::string> before = Snapshot();

    bool imported = false;
    std::deque<VQRegKey> undo = Import(
        L"[%ROOT%\\K]\r\n"
        L"\"sz\"=\"new\"\r\n"
        L"\"unterminated\"=dword:1\r\n"
        L"\"no bytes\"=hex:01\r\n"
        L"\"bin\"=-\r\n"
        L"\"q\"=hex:01\r\n"
        L"\"none\"=\"text now\"\r\n"
        L"\"link\"=-\r\n"
        L"\"multi\"=hex(7):00,00\r\n"
        L"\"added\"=\"new value\"\r\n"
        L"\"sz\"=\"second write in the same key\"\r\n"
        L"@=\"new default\"\r\n"
        L"\"missing\"=-\r\n"
        L"[%ROOT%\\K]\r\n"
        L"\"dw\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        L"\"added\"=\"written again\"\r\n"
        L"\"be\"=dword:3\r\n"
        L"[-%ROOT%\\T\\Child\\Grandchild]\r\n"
        L"[-%ROOT%\\T\\Child]\r\n"
        L"[-%ROOT%\\T]\r\n"
        L"[%ROOT%\\Created\\Deep\\Key]\r\n"
        L"\"x\"=\"y\"\r\n"
        L"[%ROOT%\\Created\\Other]\r\n"
        L"[%ROOT%\\Existing\\NewChild]\r\n"
        L"\"v\"=dword:1\r\n"
        L"[%ROOT%\\Existing]\r\n"
        L"\"e\"=-\r\n"
        L"[-%ROOT%\\NotThere]\r\n"
        L"[%ROOT%\\K\\Sub]\r\n"
        L"\"s\"=-\r\n",
        imported);
    EXPECT_TRUE(imported);
    ASSERT_EQ(11u, undo.size());

    std::map<std::string, std::string> after = Snapshot();
    EXPECT_EQ("type 1: 73 00 65 00 63 00 6f 00 6e 00 64 00 20 00 77 00 72 00 69 00 74 00 65 00 20 00 69 00 6e 00 20 "
              "00 74 00 68 00 65 00 20 00 73 00 61 00 6d 00 65 00 20 00 6b 00 65 00 79 00 00 00",
              after["\\K\\:sz"]);
    EXPECT_EQ("type 11: 01 00 00 00 00 00 00 00", after["\\K\\:dw"]);
    EXPECT_EQ(0u, after.count("\\K\\:bin"));
    EXPECT_EQ(0u, after.count("\\T\\"));
    EXPECT_EQ("key", after["\\Created\\Deep\\Key\\"]);
    EXPECT_EQ(0u, after.count("\\NotThere\\"));

    VQBuffer<unsigned char> block;
    WriteRegUndoData(undo, block);
    // What the uninstall record keeps is a copy of the bytes.
    VQBuffer<unsigned char> stored(block.size);
    std::memcpy(stored.data, block.data, block.size);
    EXPECT_TRUE(ApplyRegUndoData(stored));
    EXPECT_EQ(before, Snapshot());
}

// A key deletion takes the key alone, as RegDeleteKeyW does: a key that
// still has sub-keys stays whole, which is no failure, and its undo puts
// back what it held.
TEST_F(RegUndoTest, DeletingAKeyWithSubkeysLeavesItWhole) {
    SetValue(L"T", L"t", REG_DWORD, {1, 0, 0, 0});
    SetValue(L"T\\Child", L"c", REG_DWORD, {2, 0, 0, 0});
    SetValue(L"Leaf", L"l", REG_DWORD, {3, 0, 0, 0});
    std::map<std::string, std::string> before = Snapshot();
    bool imported = false;
    std::deque<VQRegKey> undo = Import(L"[-%ROOT%\\T]\r\n[-%ROOT%\\Leaf]\r\n", imported);
    EXPECT_TRUE(imported);
    EXPECT_TRUE(scratch.KeyExists(L"T\\Child"));
    EXPECT_EQ("type 4: 01 00 00 00", Snapshot()["\\T\\:t"]);
    EXPECT_FALSE(scratch.KeyExists(L"Leaf"));
    ASSERT_EQ(2u, undo.size());
    EXPECT_EQ(1u, undo[0].subkeys.size());  // the record holds the tree all the same
    VQBuffer<unsigned char> block;
    WriteRegUndoData(undo, block);
    EXPECT_TRUE(ApplyRegUndoData(block));
    EXPECT_EQ(before, Snapshot());
}

// Undone last first: the child goes before the parent, so both go.
TEST_F(RegUndoTest, CreatedParentAndChildAreBothRemoved) {
    std::map<std::string, std::string> before = Snapshot();
    bool imported = false;
    std::deque<VQRegKey> undo = Import(
        L"[%ROOT%\\Parent]\r\n"
        L"\"p\"=\"1\"\r\n"
        L"[%ROOT%\\Parent\\Child]\r\n"
        L"\"c\"=\"2\"\r\n",
        imported);
    EXPECT_TRUE(imported);
    EXPECT_TRUE(scratch.KeyExists(L"Parent\\Child"));
    VQBuffer<unsigned char> block;
    WriteRegUndoData(undo, block);
    EXPECT_TRUE(ApplyRegUndoData(block));
    EXPECT_FALSE(scratch.KeyExists(L"Parent"));
    EXPECT_EQ(before, Snapshot());
}

// The undo never deletes a tree it did not make: a key the game filled
// with its own sub-key later stays, and the undo says it could not finish.
TEST_F(RegUndoTest, KeyWithForeignSubkeysStaysAndUndoReportsIt) {
    bool imported = false;
    std::deque<VQRegKey> undo = Import(L"[%ROOT%\\Game]\r\n\"v\"=\"1\"\r\n", imported);
    EXPECT_TRUE(imported);
    SetValue(L"Game\\Saved", L"slot", REG_DWORD, {1, 0, 0, 0});
    VQBuffer<unsigned char> block;
    WriteRegUndoData(undo, block);
    EXPECT_FALSE(ApplyRegUndoData(block));
    EXPECT_TRUE(scratch.KeyExists(L"Game\\Saved"));
}

TEST_F(RegUndoTest, RecordsWithoutApplyingChangeNothing) {
    SetValue(L"K", L"a", REG_SZ, Utf16Raw(std::wstring(L"1\0", 2)));
    std::map<std::string, std::string> before = Snapshot();
    VQRegKey key(scratch.FullName() + L"\\K");
    key.values.emplace_back(REG_SZ, L"a");
    key.values.back().text = L"2";
    key.values.emplace_back(REG_SZ, L"b");
    bool applied = false;
    VQRegKey record = BackupAndApplyRegKey(key, false, &applied);
    EXPECT_TRUE(applied);
    EXPECT_EQ(before, Snapshot());
    ASSERT_EQ(2u, record.values.size());
    EXPECT_EQ(std::wstring(L"1\0", 2), record.values[0].text);
    EXPECT_EQ(1, record.values[1].deleteMark);
}

TEST_F(RegUndoTest, ReadRegKeyTreeReadsTheWholeTree) {
    SetValue(L"T", L"a", REG_DWORD, {1, 0, 0, 0});
    SetValue(L"T\\B\\C", L"c", REG_BINARY, {7});
    VQRegKey tree(scratch.FullName() + L"\\T");
    ReadRegKeyTree(tree);
    ASSERT_EQ(1u, tree.values.size());
    EXPECT_EQ(1u, tree.values[0].number);
    ASSERT_EQ(1u, tree.subkeys.size());
    EXPECT_EQ(scratch.PathOf(L"T\\B"), tree.subkeys[0].path);
    ASSERT_EQ(1u, tree.subkeys[0].subkeys.size());
    ASSERT_EQ(1u, tree.subkeys[0].subkeys[0].values.size());
    EXPECT_EQ(7, tree.subkeys[0].subkeys[0].values[0].bytes.data[0]);

    VQRegKey missing(scratch.FullName() + L"\\Missing");
    try {
        ReadRegKeyTree(missing);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("Operate registry failed(2)", error.what());
    }
}

// A .reg file cannot reach past the root table: keys of other roots, short
// forms, lookalike names and whole-root deletions are never written; the
// import says so, and the keys around them are still written.
TEST_F(RegUndoTest, KeysOutsideTheRootTableAreNeverWritten) {
    const std::wstring probe = L"TessarTestOutside" + std::to_wstring(::GetCurrentProcessId());
    bool imported = true;
    std::deque<VQRegKey> undo = Import(
        L"[%ROOT%\\Before]\r\n"
        L"\"ok\"=dword:1\r\n"
        L"[HKCU\\" + probe + L"]\r\n"
        L"\"v\"=\"1\"\r\n"
        L"[HKEY_CURRENT_USERX\\" + probe + L"]\r\n"
        L"\"v\"=\"1\"\r\n"
        L"[-HKEY_CURRENT_USER]\r\n"
        L"[%ROOT%\\After]\r\n"
        L"\"ok\"=dword:1\r\n",
        imported);
    EXPECT_FALSE(imported);
    ASSERT_EQ(5u, undo.size());
    for (size_t i = 1; i <= 3; ++i)
        EXPECT_TRUE(undo[i].IsNoOp()) << i;
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, probe.c_str(), 0, KEY_READ, &key));
    EXPECT_NE(ERROR_SUCCESS, ::RegQueryValueExW(HKEY_CURRENT_USER, L"v", nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(scratch.KeyExists(L"Before"));
    EXPECT_TRUE(scratch.KeyExists(L"After"));
}

TEST_F(RegUndoTest, FailedWritesMakeTheImportFail) {
    // The registry refuses value names over 16,383 characters.
    std::wstring tooLong(16400, L'n');
    bool imported = true;
    Import(L"[%ROOT%\\K]\r\n\"" + tooLong + L"\"=dword:1\r\n\"fine\"=dword:2\r\n", imported);
    EXPECT_FALSE(imported);
    EXPECT_EQ("type 4: 02 00 00 00", Snapshot()["\\K\\:fine"]);
}

TEST(RegUndoBlockTest, LayoutOfTheBlock) {
    VQRegKey record(0x80000001, L"A");
    record.deleteKey = 1;
    VQRegKey value(0x80000002, L"S");
    value.values.emplace_back(REG_DWORD, L"d");
    value.values.back().number = 0x01020304;
    value.values.emplace_back(REG_SZ, L"x");
    value.values.back().deleteMark = 1;
    std::deque<VQRegKey> undo = {record, value};
    VQBuffer<unsigned char> block;
    WriteRegUndoData(undo, block);

    std::string expected;
    AppendU32(expected, 2);
    AppendU32(expected, 0);  // patched below
    const std::wstring first = L"-HKEY_CURRENT_USER\\A";
    AppendU32(expected, 12 + 2 * static_cast<uint32_t>(first.size()));
    AppendU32(expected, static_cast<uint32_t>(first.size()));
    AppendUtf16(expected, first);
    AppendU32(expected, 0);
    AppendU32(expected, 0);
    const std::wstring second = L"HKEY_LOCAL_MACHINE\\S";
    AppendU32(expected, 12 + 2 * static_cast<uint32_t>(second.size()) + (10 + 2 + 4) + (10 + 2 + 0));
    AppendU32(expected, static_cast<uint32_t>(second.size()));
    AppendUtf16(expected, second);
    AppendU32(expected, 0);
    AppendU32(expected, 2);
    AppendU32(expected, 1);
    AppendUtf16(expected, L"d");
    expected += std::string("\x04\x00", 2);
    AppendU32(expected, 4);
    expected += "\x04\x03\x02\x01";
    AppendU32(expected, 1);
    AppendUtf16(expected, L"x");
    expected += std::string("\xFF\x00", 2);
    AppendU32(expected, 0);
    StoreU32(reinterpret_cast<unsigned char*>(&expected[4]), static_cast<uint32_t>(expected.size() - 8));

    ASSERT_EQ(expected.size(), block.size);
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(block.data), block.size));
    EXPECT_EQ(value.GetSerialSize(), LoadU32(block.data + 8 + 4 + record.GetSerialSize()));

    // Written again, the block replaces what the buffer held.
    WriteRegUndoData(std::deque<VQRegKey>(), block);
    ASSERT_EQ(8u, block.size);
    EXPECT_EQ(0u, LoadU32(block.data));
    EXPECT_EQ(0u, LoadU32(block.data + 4));
}

TEST(RegUndoBlockTest, SerialisedKeysReadBackAlike) {
    VQRegKey key(0x80000001, L"Software\\游戏");
    key.values.emplace_back(REG_MULTI_SZ, L"m");
    key.values.back().strings = {L"a", L"b"};
    key.values.emplace_back(REG_QWORD, L"");
    key.values.back().number64 = 42;
    key.subkeys.emplace_back(0x80000001, L"Software\\游戏\\Sub");
    key.subkeys.back().deleteKey = 1;
    std::string bytes;
    key.Serialise(bytes);
    ASSERT_EQ(key.GetSerialSize(), bytes.size());

    VQRegKey read;
    ASSERT_TRUE(read.Deserialise(reinterpret_cast<const unsigned char*>(bytes.data()),
                                 static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(key.GetFullName(true), read.GetFullName(true));
    ASSERT_EQ(2u, read.values.size());
    EXPECT_EQ(key.values[0].strings, read.values[0].strings);
    EXPECT_EQ(42u, read.values[1].number64);
    ASSERT_EQ(1u, read.subkeys.size());
    EXPECT_EQ(L"-HKEY_CURRENT_USER\\Software\\游戏\\Sub", read.subkeys[0].GetFullName(true));

    // Every shorter length, and one byte more, is refused.
    for (size_t length = 0; length < bytes.size(); ++length) {
        VQRegKey cut;
        EXPECT_FALSE(cut.Deserialise(reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<uint32_t>(length)))
            << length;
    }
    std::string longer = bytes + "x";
    EXPECT_FALSE(read.Deserialise(reinterpret_cast<const unsigned char*>(longer.data()),
                                  static_cast<uint32_t>(longer.size())));
}

VQBuffer<unsigned char> BufferOf(const std::string& bytes) {
    VQBuffer<unsigned char> buffer(static_cast<uint32_t>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(buffer.data, bytes.data(), bytes.size());
    return buffer;
}

std::string KeyBytes(const std::wstring& name, const std::string& values) {
    std::string bytes;
    AppendU32(bytes, static_cast<uint32_t>(name.size()));
    AppendUtf16(bytes, name);
    AppendU32(bytes, 0);
    bytes += values;
    return bytes;
}

std::string BlockOf(const std::vector<std::string>& records) {
    std::string block;
    AppendU32(block, static_cast<uint32_t>(records.size()));
    AppendU32(block, 0);
    for (const std::string& record : records) {
        AppendU32(block, static_cast<uint32_t>(record.size()));
        block += record;
    }
    StoreU32(reinterpret_cast<unsigned char*>(&block[4]), static_cast<uint32_t>(block.size() - 8));
    return block;
}

// A damaged block applies nothing: not even the records before the damage.
TEST_F(RegUndoTest, MalformedBlocksApplyNothing) {
    bool imported = false;
    std::deque<VQRegKey> undo = Import(L"[%ROOT%\\A]\r\n\"v\"=\"1\"\r\n[%ROOT%\\B]\r\n\"w\"=\"2\"\r\n", imported);
    ASSERT_TRUE(imported);
    VQBuffer<unsigned char> good;
    WriteRegUndoData(undo, good);
    std::string bytes(reinterpret_cast<char*>(good.data), good.size);
    std::map<std::string, std::string> imported_state = Snapshot();

    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_FALSE(ApplyRegUndoData(BufferOf(bytes.substr(0, length)))) << length;

    std::string noValues = std::string(4, '\0');
    std::string dwordOfThree;
    AppendU32(dwordOfThree, 1);
    AppendU32(dwordOfThree, 1);
    AppendUtf16(dwordOfThree, L"d");
    dwordOfThree += std::string("\x04\x00", 2);
    AppendU32(dwordOfThree, 3);
    dwordOfThree += "abc";
    std::string deep = KeyBytes(L"-" + scratch.FullName() + L"\\A", noValues);
    for (int depth = 0; depth < 600; ++depth) {
        std::string parent;
        std::wstring name = L"-" + scratch.FullName() + L"\\A";
        AppendU32(parent, static_cast<uint32_t>(name.size()));
        AppendUtf16(parent, name);
        AppendU32(parent, 1);
        AppendU32(parent, static_cast<uint32_t>(deep.size()));
        parent += deep;
        parent += noValues;
        deep = parent;
    }
    std::string hugeCount = bytes;
    StoreU32(reinterpret_cast<unsigned char*>(&hugeCount[0]), 0xFFFFFFFF);
    std::string longPayload = bytes;
    StoreU32(reinterpret_cast<unsigned char*>(&longPayload[4]), static_cast<uint32_t>(bytes.size()));
    struct Case {
        const char* name;
        std::string block;
    } cases[] = {
        {"count past the records", hugeCount},
        {"payload longer than the block", longPayload},
        {"root outside the table",
         BlockOf({KeyBytes(L"-" + scratch.FullName() + L"\\A", noValues),
                  KeyBytes(L"-HKEY_SOMEWHERE_ELSE\\TessarTest", noValues)})},
        {"deletion of a whole root",
         BlockOf({KeyBytes(L"-" + scratch.FullName() + L"\\A", noValues), KeyBytes(L"-HKEY_CURRENT_USER", noValues)})},
        {"dword of three bytes",
         BlockOf({KeyBytes(L"-" + scratch.FullName() + L"\\A", noValues), KeyBytes(scratch.FullName(), dwordOfThree)})},
        {"nested too deep", BlockOf({deep})},
        {"trailing bytes in a record",
         BlockOf({KeyBytes(L"-" + scratch.FullName() + L"\\A", noValues) + "z"})},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(ApplyRegUndoData(BufferOf(c.block))) << c.name;
    EXPECT_EQ(imported_state, Snapshot());

    EXPECT_TRUE(ApplyRegUndoData(BufferOf(std::string(8, '\0'))));
    std::string countZero = bytes;
    StoreU32(reinterpret_cast<unsigned char*>(&countZero[0]), 0);
    EXPECT_TRUE(ApplyRegUndoData(BufferOf(countZero)));
    EXPECT_EQ(imported_state, Snapshot());

    EXPECT_TRUE(ApplyRegUndoData(good));
    EXPECT_FALSE(scratch.KeyExists(L"A"));
    EXPECT_FALSE(scratch.KeyExists(L"B"));
}

// A game's .reg file registering its file types under HKEY_CLASSES_ROOT
// writes them to the user's Software\Classes (never to the root of
// HKEY_CURRENT_USER), and its undo data removes them again.
TEST_F(RegUndoTest, ClassesRootKeysGoToTheUsersSoftwareClasses) {
    const std::wstring probe = L".tessartest" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring classesKey = std::wstring(L"Software\\Classes\\") + probe;
    bool imported = false;
    std::deque<VQRegKey> undo = Import(
        L"[HKEY_CLASSES_ROOT\\" + probe + L"]\r\n"
        L"@=\"TessarTest.Save\"\r\n",
        imported);
    EXPECT_TRUE(imported);

    VQRegKeyHolder holder;
    ASSERT_TRUE(holder.RegOpenKeyPath(HKEY_CURRENT_USER, classesKey, KEY_READ));
    std::wstring value;
    EXPECT_TRUE(holder.RegQueryString(L"", value));
    EXPECT_EQ(L"TessarTest.Save", value);
    holder.RegCloseKeyHandle();
    HKEY atRoot = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, probe.c_str(), 0, KEY_READ, &atRoot));

    VQBuffer<unsigned char> block;
    WriteRegUndoData(undo, block);
    EXPECT_TRUE(ApplyRegUndoData(block));
    HKEY gone = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, classesKey.c_str(), 0, KEY_READ, &gone));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, classesKey.c_str());
}

}  // namespace
}  // namespace Tessar
