// The uninstall record: its layout and limits, and an uninstall that never
// reaches past its game - not for a damaged record, not for one without a
// seal, not for one the installed list does not vouch for (planted, edited
// or copied from another game), not into another game installed below.
#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/RegUndo.h"
#include "VQCore/download/UninstallRecord.h"
#include "common/CodePage.h"
#include "common/PathText.h"
#include "common/Registry.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

namespace Tessar {
namespace {

// A record without a seal, as another writer would make it.
std::string PlainRecord(const std::vector<std::wstring>& paths, const std::string& registry = std::string()) {
    std::string log;
    for (const std::wstring& path : paths) {
        AppendU32(log, static_cast<uint32_t>(path.size() * 2));
        AppendUtf16(log, path);
    }
    std::string out = "VQUT";
    out.push_back('\x01');
    AppendU32(out, static_cast<uint32_t>(log.size()));
    out += log;
    AppendU32(out, static_cast<uint32_t>(registry.size()));
    return out + registry;
}

class UninstallRecordTest : public ::testing::Test {
protected:
    std::wstring Games() const { return m_folder.PathOf(L"Games"); }
    std::wstring RecordOf(const std::wstring& game) const { return Games() + L"\\" + game + L"\\VQUnistall.dat"; }
    void Make(const std::wstring& name, const std::string& bytes) { ASSERT_TRUE(m_folder.WriteFile(name, bytes)); }

    VQTempFolder m_folder;
};

TEST_F(UninstallRecordTest, TheWrittenRecordReadsBack) {
    Make(L"Games\\A\\a.txt", "a");
    const std::vector<std::wstring> paths = {Games() + L"\\A", Games() + L"\\A\\a.txt", L"X:\\中文\\b.txt"};
    VQBuffer<unsigned char> registry(3);
    registry.data[0] = 1, registry.data[1] = 2, registry.data[2] = 3;
    ASSERT_TRUE(WriteUninstallRecord(RecordOf(L"A"), paths, registry, Games() + L"\\A"));
    const std::string bytes = ReadBytes(RecordOf(L"A"));
    ASSERT_GT(bytes.size(), 9u);
    EXPECT_EQ("VQUT\x01", bytes.substr(0, 5));
    EXPECT_EQ(PlainRecord(paths, "\x01\x02\x03"), bytes.substr(0, bytes.size() - 20));
    EXPECT_EQ("VQUS", bytes.substr(bytes.size() - 20, 4));

    VQUninstallRecord record;
    ASSERT_TRUE(ReadUninstallRecord(RecordOf(L"A"), record));
    EXPECT_EQ(paths, record.paths);
    ASSERT_EQ(3u, record.registryUndo.size);
    EXPECT_EQ(3, record.registryUndo.data[2]);
    EXPECT_EQ(VQRecordSeal::kValid, record.seal);
}

TEST_F(UninstallRecordTest, LogsUpToTheLimitAreRead) {
    const uint32_t limit = kUninstallMaxLogBytes;
    auto withLog = [](uint32_t logSize, const std::string& tail) {
        std::string out = "VQUT";
        out.push_back('\x01');
        AppendU32(out, logSize);
        if (logSize >= 4) {
            AppendU32(out, logSize - 4);  // one path filling the log
            out.append(logSize - 4, 'a');
        } else {
            out.append(logSize, 'a');
        }
        return out + tail;
    };
    std::string noRegistry(4, '\0');
    std::string fullRegistry;
    AppendU32(fullRegistry, limit);
    fullRegistry.append(limit, '\0');
    std::string overRegistry;
    AppendU32(overRegistry, limit + 1);
    overRegistry.append(limit + 1, '\0');
    const struct {
        const char* name;
        std::string bytes;
        bool readable;
    } cases[] = {
        {"log of exactly the limit", withLog(limit, noRegistry), true},
        {"log one byte over", withLog(limit + 1, noRegistry), false},
        {"log two bytes over", withLog(limit + 2, noRegistry), false},
        {"registry block of the limit", withLog(8, fullRegistry), true},
        {"registry block one byte over", withLog(8, overRegistry), false},
        {"no registry length", withLog(8, ""), false},
        {"registry block cut", withLog(8, fullRegistry.substr(0, 100)), false},
        {"bad magic", "VQUX" + withLog(8, noRegistry).substr(4), false},
        {"version 2", "VQUT\x02" + withLog(8, noRegistry).substr(5), false},
        {"odd path length", PlainRecord({}).substr(0, 5) + std::string("\x07\0\0\0\x03\0\0\0abc", 11) + noRegistry,
         false},
        {"empty path", PlainRecord({}).substr(0, 5) + std::string("\x04\0\0\0\0\0\0\0", 8) + noRegistry, false},
        {"path past the log", PlainRecord({}).substr(0, 5) + std::string("\x06\0\0\0\x08\0\0\0ab", 10) + noRegistry,
         false},
        {"empty file", "", false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(m_folder.PathOf(L"r.dat"), c.bytes)) << c.name;
        VQUninstallRecord record;
        EXPECT_EQ(c.readable, ReadUninstallRecord(m_folder.PathOf(L"r.dat"), record)) << c.name;
    }
}

TEST_F(UninstallRecordTest, ADamagedRecordRemovesNothing) {
    Make(L"Games\\A\\a.txt", "a");
    Make(L"Games\\A\\sub\\b.txt", "b");
    const std::vector<std::wstring> paths = {Games() + L"\\A", Games() + L"\\A\\a.txt", Games() + L"\\A\\sub",
                                             Games() + L"\\A\\sub\\b.txt"};
    ASSERT_TRUE(WriteUninstallRecord(RecordOf(L"A"), paths, VQBuffer<unsigned char>(), Games() + L"\\A"));
    const std::string good = ReadBytes(RecordOf(L"A"));
    const struct {
        const char* name;
        size_t offset;  // from the end when cut
        bool cut;
    } cases[] = {
        {"a path changed", 20, false},
        {"a length changed", 9, false},
        {"the seal changed", good.size() - 1, false},
        {"the seal cut", 5, true},
    };
    for (const auto& c : cases) {
        std::string bad = good;
        if (c.cut)
            bad.resize(bad.size() - c.offset);
        else
            bad[c.offset] ^= 0x20;
        ASSERT_TRUE(WriteBytes(RecordOf(L"A"), bad)) << c.name;
        EXPECT_FALSE(UninstallFromData(RecordOf(L"A"))) << c.name;
        EXPECT_EQ("a.txt=a\nsub/\nsub/b.txt=b\n", DescribeInstalled(Games() + L"\\A")) << c.name;
    }
}

TEST_F(UninstallRecordTest, ARecordWithoutASealStaysInItsFolder) {
    Make(L"Games\\A\\a.txt", "a");
    Make(L"Games\\B\\b.txt", "b");
    Make(L"Games\\B\\b2.txt", "b2");
    Make(L"outside.txt", "o");
    Make(L"Games\\A\\VQUnistall.dat",
         PlainRecord({Games() + L"\\A", Games() + L"\\A\\a.txt", Games() + L"\\B\\b.txt", Games() + L"\\B",
                      m_folder.PathOf(L"outside.txt"), Games() + L"\\A\\..\\B\\b2.txt", L"relative.txt"}));
    ASSERT_TRUE(UninstallFromData(RecordOf(L"A")));
    EXPECT_FALSE(PathExists(Games() + L"\\A"));
    EXPECT_EQ("b.txt=b\nb2.txt=b2\n", DescribeTree(Games() + L"\\B"));
    EXPECT_EQ("o", ReadBytes(m_folder.PathOf(L"outside.txt")));
}

TEST_F(UninstallRecordTest, OutsideItsFolderAGenuineRecordRemovesOnlyItsFilesAndEmptyFolders) {
    Make(L"Games\\A\\a.txt", "a");
    Make(L"Shared\\game.txt", "the game's");
    Make(L"Shared\\user.txt", "the user's");
    ASSERT_TRUE(m_folder.MakeFolder(L"Empty"));
    // The install folder comes first: it is made before anything else.
    const std::vector<std::wstring> paths = {Games() + L"\\A", m_folder.PathOf(L"Shared"),
                                             m_folder.PathOf(L"Shared\\game.txt"), m_folder.PathOf(L"Empty"),
                                             Games() + L"\\A\\a.txt"};
    std::wstring digest;
    ASSERT_TRUE(WriteUninstallRecord(RecordOf(L"A"), paths, VQBuffer<unsigned char>(), Games() + L"\\A", &digest));
    EXPECT_EQ(32u, digest.size());
    EXPECT_EQ(digest, UninstallRecordDigest(RecordOf(L"A")));
    ASSERT_TRUE(UninstallFromData(RecordOf(L"A"), digest));
    EXPECT_FALSE(PathExists(Games() + L"\\A"));
    EXPECT_FALSE(PathExists(m_folder.PathOf(L"Empty")));
    EXPECT_EQ("user.txt=the user's\n", DescribeTree(m_folder.PathOf(L"Shared")));
}

// Records any user process could have written into a game folder: they
// may remove what lies in their own folder, and nothing else, and their
// registry block is never applied.
TEST_F(UninstallRecordTest, ARecordTheListDoesNotVouchForStaysInItsFolderAndLeavesTheRegistry) {
    VQScratchRegistryKey scratch;
    ASSERT_TRUE(scratch.IsValid());
    // A block that would write a value under the scratch key.
    std::deque<VQRegKey> planted(1, VQRegKey(0x80000001u, scratch.PathOf(L"Planted")));
    VQRegValue value(REG_SZ, L"v");
    value.text = L"written";
    planted[0].values.push_back(value);
    VQBuffer<unsigned char> registry;
    WriteRegUndoData(planted, registry);
    const std::vector<std::wstring> paths = {Games() + L"\\A", m_folder.PathOf(L"outside.txt"),
                                             Games() + L"\\A\\a.txt"};

    // What the install wrote, and the digest the list kept of it.
    ASSERT_TRUE(m_folder.MakeFolder(L"Games\\A"));
    ASSERT_TRUE(WriteUninstallRecord(RecordOf(L"A"), paths, registry, Games() + L"\\A"));
    const std::string genuine = ReadBytes(RecordOf(L"A"));
    const std::wstring digest = UninstallRecordDigest(RecordOf(L"A"));
    ASSERT_EQ(32u, digest.size());
    // The same record with one path changed, sealed again by whoever
    // changed it: the seal is no proof.
    std::vector<std::wstring> edited = paths;
    edited[1] = m_folder.PathOf(L"victim.txt");
    ASSERT_TRUE(WriteUninstallRecord(m_folder.PathOf(L"edited.dat"), edited, registry, Games() + L"\\A"));
    const struct {
        const char* name;
        std::wstring game;  // folder the record lies in
        std::string bytes;
        std::wstring knownDigest;
    } cases[] = {
        {"no digest known", L"A", genuine, L""},
        {"another game's digest", L"A", genuine, L"0123456789ABCDEF0123456789ABCDEF"},
        {"edited and sealed again", L"A", ReadBytes(m_folder.PathOf(L"edited.dat")), digest},
        {"copied into another game's folder", L"B", genuine, digest},
        {"without a seal", L"A",
         PlainRecord(paths, std::string(reinterpret_cast<const char*>(registry.data), registry.size)), digest},
    };
    for (const auto& c : cases) {
        Make(L"Games\\A\\a.txt", "a");
        Make(L"outside.txt", "the user's");
        Make(L"victim.txt", "the user's");
        Make(L"Games\\" + c.game + L"\\VQUnistall.dat", c.bytes);
        EXPECT_TRUE(UninstallFromData(RecordOf(c.game), c.knownDigest)) << c.name;
        EXPECT_FALSE(FileExists(RecordOf(c.game))) << c.name;
        // Game A's file goes only with a record in A's folder.
        EXPECT_EQ(c.game != L"A", FileExists(Games() + L"\\A\\a.txt")) << c.name;
        EXPECT_EQ("the user's", ReadBytes(m_folder.PathOf(L"outside.txt"))) << c.name;
        EXPECT_EQ("the user's", ReadBytes(m_folder.PathOf(L"victim.txt"))) << c.name;
        EXPECT_FALSE(scratch.KeyExists(L"Planted")) << c.name;
    }

    // The genuine record with its digest does both.
    Make(L"Games\\A\\a.txt", "a");
    Make(L"Games\\A\\VQUnistall.dat", genuine);
    ASSERT_TRUE(UninstallFromData(RecordOf(L"A"), digest));
    EXPECT_FALSE(PathExists(Games() + L"\\A"));
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"outside.txt")));
    EXPECT_TRUE(scratch.KeyExists(L"Planted"));
}

TEST_F(UninstallRecordTest, AnotherGameInstalledBelowStays) {
    Make(L"Games\\A\\a.txt", "a");
    Make(L"Games\\A\\Nested\\n.txt", "n");
    Make(L"Games\\A\\Nested\\VQUnistall.dat", PlainRecord({Games() + L"\\A\\Nested\\n.txt"}));
    Make(L"Games\\A\\data\\Nested\\VQUnistall.dat", PlainRecord({}));
    const std::vector<std::wstring> paths = {Games() + L"\\A", Games() + L"\\A\\a.txt", Games() + L"\\A\\data"};
    ASSERT_TRUE(WriteUninstallRecord(RecordOf(L"A"), paths, VQBuffer<unsigned char>(), Games() + L"\\A"));
    ASSERT_TRUE(UninstallFromData(RecordOf(L"A")));
    EXPECT_EQ("Nested/\nNested/VQUnistall.dat=", DescribeTree(Games() + L"\\A").substr(0, 30));
    EXPECT_EQ("n", ReadBytes(Games() + L"\\A\\Nested\\n.txt"));
    EXPECT_TRUE(FileExists(Games() + L"\\A\\data\\Nested\\VQUnistall.dat"));
    EXPECT_FALSE(FileExists(Games() + L"\\A\\a.txt"));
    EXPECT_FALSE(FileExists(RecordOf(L"A")));
}

TEST_F(UninstallRecordTest, ABrokenRegistryBlockFailsAfterTheFiles) {
    Make(L"Games\\A\\a.txt", "a");
    const std::vector<std::wstring> paths = {Games() + L"\\A", Games() + L"\\A\\a.txt"};
    VQBuffer<unsigned char> registry(5);  // shorter than the block's head
    std::wstring digest;
    ASSERT_TRUE(WriteUninstallRecord(RecordOf(L"A"), paths, registry, Games() + L"\\A", &digest));
    EXPECT_FALSE(UninstallFromData(RecordOf(L"A"), digest));
    EXPECT_FALSE(FileExists(Games() + L"\\A\\a.txt"));
    EXPECT_TRUE(FileExists(RecordOf(L"A")));
}

TEST_F(UninstallRecordTest, ARecordOutsideAGameFolderIsRefused) {
    EXPECT_FALSE(UninstallFromData(L"VQUnistall.dat"));
    EXPECT_FALSE(UninstallFromData(m_folder.PathOf(L"missing\\VQUnistall.dat")));
}

// What a record cannot hold makes no record at all (the install then fails
// and rolls back), never a shortened one.
TEST_F(UninstallRecordTest, ARecordThatCannotHoldItsDataIsNotWritten) {
    ASSERT_TRUE(m_folder.MakeFolder(L"Games\\A"));
    // Paths outside the install folder cannot be left to the folder's removal.
    std::vector<std::wstring> longLog;
    for (int i = 0; i < 3000; ++i)
        longLog.push_back(m_folder.PathOf(L"Shared\\" + std::wstring(160, L'x') + std::to_wstring(i)));
    const struct {
        const char* name;
        std::vector<std::wstring> paths;
        uint32_t registryBytes;
    } cases[] = {
        {"registry block over the limit", {Games() + L"\\A"}, kUninstallMaxLogBytes + 1},
        {"file log over the limit", longLog, 0},
    };
    for (const auto& c : cases) {
        VQBuffer<unsigned char> registry(c.registryBytes);
        if (registry.size > 0)
            std::memset(registry.data, 0, registry.size);
        std::wstring digest = L"untouched";
        EXPECT_FALSE(WriteUninstallRecord(RecordOf(L"A"), c.paths, registry, Games() + L"\\A", &digest)) << c.name;
        EXPECT_FALSE(PathExists(RecordOf(L"A"))) << c.name;
        EXPECT_EQ(L"untouched", digest) << c.name;
    }
}

}  // namespace
}  // namespace Tessar
