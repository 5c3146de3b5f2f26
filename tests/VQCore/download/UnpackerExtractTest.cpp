// Extracting "VQZ" packages: files, folders, data entries, attributes and
// times, the hooks a derived installer uses, and the progress observer.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/Unpacker.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace Tessar {
namespace {

std::string Compressible(size_t size) {
    std::string bytes;
    while (bytes.size() < size)
        bytes += "line " + std::to_string(bytes.size()) + " of the sample text\r\n";
    bytes.resize(size);
    return bytes;
}

std::string DataOf(const VQTocNode& node) {
    return std::string(reinterpret_cast<const char*>(node.data.data), node.data.size);
}

class UnpackerExtractTest : public ::testing::TestWithParam<uint16_t> {
protected:
    std::wstring Write(VQTocNode& root, const std::wstring& name = L"p.vqz") {
        std::wstring path = m_folder.PathOf(name);
        EXPECT_TRUE(WritePackage(root, path));
        return path;
    }

    VQTempFolder m_folder;
};

TEST_P(UnpackerExtractTest, WritesTheTreeWithItsTimesAndAttributes) {
    const uint16_t converter = GetParam();
    VQTocNode root(nullptr, kTocFolder);
    boost::shared_ptr<VQTocNode> readme = AddBytesEntry(root, L"readme.txt", kTocFile, "read me", converter);
    readme->creationTime = DayOf2009(1, 2);
    readme->lastAccessTime = DayOf2009(3, 4);
    readme->lastWriteTime = DayOf2009(5, 6);
    boost::shared_ptr<VQTocNode> data = AddFolderEntry(root, L"数据");
    data->lastWriteTime = DayOf2009(7, 8);
    AddBytesEntry(*data, L"big.bin", kTocFile, Compressible(1300000), converter);
    boost::shared_ptr<VQTocNode> empty = AddBytesEntry(*data, L"empty.txt", kTocFile, "", converter);
    empty->lastWriteTime = DayOf2009(9, 10);
    boost::shared_ptr<VQTocNode> locked = AddBytesEntry(*data, L"locked.txt", kTocFile, "locked", converter);
    locked->attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    AddFolderEntry(*data, L"nothing");

    VQUnpacker unpacker(Write(root));
    ASSERT_TRUE(unpacker.Open());
    std::wstring target = m_folder.PathOf(L"new\\game");  // missing folders are made
    ASSERT_TRUE(unpacker.Extract(target));

    // Times are read before any read of the files moves their access time.
    // Wine keeps no creation time on Linux file systems, so it is not checked.
    FILETIME c, a, w;
    ASSERT_TRUE(GetTimes(target + L"\\readme.txt", c, a, w));
    EXPECT_TRUE(SameTime(DayOf2009(3, 4), a));
    EXPECT_TRUE(SameTime(DayOf2009(5, 6), w));
    ASSERT_TRUE(GetTimes(target + L"\\数据\\empty.txt", c, a, w));
    EXPECT_TRUE(SameTime(DayOf2009(9, 10), w));
    ASSERT_TRUE(GetTimes(target + L"\\数据", c, a, w));
    EXPECT_TRUE(SameTime(DayOf2009(7, 8), w));

    EXPECT_EQ("read me", ReadBytes(target + L"\\readme.txt"));
    EXPECT_EQ(Compressible(1300000), ReadBytes(target + L"\\数据\\big.bin"));
    EXPECT_TRUE(FileExists(target + L"\\数据\\empty.txt"));
    EXPECT_EQ("locked", ReadBytes(target + L"\\数据\\locked.txt"));
    EXPECT_TRUE(FolderExists(target + L"\\数据\\nothing"));

    DWORD attributes = AttributesOf(target + L"\\数据\\locked.txt");
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);

    // Full paths and names are set on the nodes.
    EXPECT_EQ(target + L"\\数据\\big.bin", unpacker.GetRoot().children[1]->children[0]->fullPath);

    // A second extraction over the first replaces the files, the read-only
    // one included.
    ASSERT_TRUE(unpacker.Extract(target));
    EXPECT_EQ("locked", ReadBytes(target + L"\\数据\\locked.txt"));
}

TEST_P(UnpackerExtractTest, DataEntriesAreReadIntoMemoryNotOntoDisk) {
    const uint16_t converter = GetParam();
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"blob", kTocData, Compressible(700000), converter);
    AddBytesEntry(root, L"inline", kTocInline, "held in the table", converter);
    AddBytesEntry(root, L"emptyblob", kTocData, "", converter);
    VQUnpacker unpacker(Write(root));
    ASSERT_TRUE(unpacker.Open());
    std::vector<boost::shared_ptr<VQTocNode>>& entries = unpacker.GetRoot().children;
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ("held in the table", DataOf(*entries[1]));  // known from the table alone

    std::wstring target = m_folder.PathOf(L"out");
    ASSERT_TRUE(unpacker.Extract(target));
    EXPECT_EQ(Compressible(700000), DataOf(*entries[0]));
    EXPECT_EQ("", DataOf(*entries[2]));
    EXPECT_EQ("", DescribeTree(target));
}

INSTANTIATE_TEST_SUITE_P(Converters, UnpackerExtractTest, ::testing::Values(kConverterStored, kConverterZip));

class UnpackerTargetTest : public ::testing::Test {
protected:
    VQTempFolder m_folder;
};

TEST_F(UnpackerTargetTest, TargetThatIsAFileOrAnUnopenedPackageFails) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"a.txt", kTocFile, "alpha", kConverterZip);
    std::wstring path = m_folder.PathOf(L"p.vqz");
    ASSERT_TRUE(WritePackage(root, path));

    VQUnpacker unopened(path);
    EXPECT_FALSE(unopened.Extract(m_folder.PathOf(L"out")));

    VQUnpacker unpacker(path);
    ASSERT_TRUE(unpacker.Open());
    ASSERT_TRUE(m_folder.WriteFile(L"plain", "a file"));
    EXPECT_FALSE(unpacker.Extract(m_folder.PathOf(L"plain")));
    EXPECT_EQ("a file", m_folder.ReadFile(L"plain"));
}

TEST_F(UnpackerTargetTest, FolderEntryOverAFileFails) {
    std::wstring path = WriteSubFolderPackage(m_folder.Path(), L"a.txt", "alpha", kConverterZip);
    ASSERT_TRUE(m_folder.WriteFile(L"out\\sub", "in the way"));
    VQUnpacker unpacker(path);
    ASSERT_TRUE(unpacker.Open());
    EXPECT_FALSE(unpacker.Extract(m_folder.PathOf(L"out")));
    EXPECT_EQ("in the way", m_folder.ReadFile(L"out\\sub"));
}

TEST_F(UnpackerTargetTest, UnknownConverterFailsWhenItsEntryIsReached) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"first.txt", kTocFile, "first", kConverterZip);
    boost::shared_ptr<VQTocNode> odd = AddBytesEntry(root, L"odd.txt", kTocFile, "odd", kConverterStored);
    AddBytesEntry(root, L"last.txt", kTocFile, "last", kConverterZip);
    std::wstring path = m_folder.PathOf(L"p.vqz");
    ASSERT_TRUE(WritePackage(root, path));
    // Rewrite the middle entry's converter id to 2 in the written table.
    std::string bytes = ReadBytes(path);
    size_t record = kPackageHeaderSize + kTocRecordFixedSize + static_cast<size_t>(root.children[0]->EncodedSize());
    size_t converterAt = record + 12 + 2 * odd->name.size() + 32;
    ASSERT_EQ(0, bytes[converterAt]);
    bytes[converterAt] = 2;
    ASSERT_TRUE(WriteBytes(path, bytes));

    VQUnpacker unpacker(path);
    ASSERT_TRUE(unpacker.Open());
    EXPECT_FALSE(unpacker.Extract(m_folder.PathOf(L"out")));
    EXPECT_EQ("first", m_folder.ReadFile(L"out\\first.txt"));
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"out\\odd.txt")));
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"out\\last.txt")));
}

// What an installer deriving from the unpacker sees and can change.
class VQRecordingUnpacker : public VQUnpacker {
public:
    explicit VQRecordingUnpacker(const std::wstring& path) : VQUnpacker(path) {}

    bool ResolveEntryPath(VQTocNode& node, std::wstring& folder, std::wstring& name, bool& skip) override {
        resolved.push_back(folder + L"|" + name);
        if (name == L"skipme")
            skip = true;
        if (name == L"rename.txt")
            name = L"renamed.txt";
        if (name == L"elsewhere.txt")
            folder = other;
        return true;
    }
    bool OnEntryExtracted(VQTocNode& node) override {
        extracted.push_back(node.fullPath);
        return node.name != L"stop.txt";
    }
    bool CreateFolder(const std::wstring& path) override {
        folders.push_back(path);
        return VQUnpacker::CreateFolder(path);
    }

    std::wstring other;
    std::vector<std::wstring> resolved;
    std::vector<std::wstring> extracted;
    std::vector<std::wstring> folders;
};

TEST_F(UnpackerTargetTest, DerivedClassesRedirectSkipAndStopEntries) {
    VQTocNode root(nullptr, kTocFolder);
    boost::shared_ptr<VQTocNode> skipped = AddFolderEntry(root, L"skipme");
    AddBytesEntry(*skipped, L"inside.txt", kTocFile, "never", kConverterZip);
    boost::shared_ptr<VQTocNode> sub = AddFolderEntry(root, L"sub");
    AddBytesEntry(*sub, L"rename.txt", kTocFile, "renamed", kConverterZip);
    AddBytesEntry(root, L"elsewhere.txt", kTocFile, "moved", kConverterZip);
    AddBytesEntry(root, L"stop.txt", kTocFile, "stop", kConverterZip);
    AddBytesEntry(root, L"after.txt", kTocFile, "after", kConverterZip);
    std::wstring path = m_folder.PathOf(L"p.vqz");
    ASSERT_TRUE(WritePackage(root, path));
    ASSERT_TRUE(m_folder.MakeFolder(L"other"));

    VQRecordingUnpacker unpacker(path);
    unpacker.other = m_folder.PathOf(L"other\\");
    ASSERT_TRUE(unpacker.Open());
    std::wstring target = m_folder.PathOf(L"out");
    EXPECT_FALSE(unpacker.Extract(target));  // OnEntryExtracted refused stop.txt

    EXPECT_FALSE(PathExists(target + L"\\skipme"));
    EXPECT_EQ("renamed", ReadBytes(target + L"\\sub\\renamed.txt"));
    EXPECT_EQ("moved", m_folder.ReadFile(L"other\\elsewhere.txt"));
    EXPECT_FALSE(PathExists(target + L"\\after.txt"));

    std::vector<std::wstring> resolved = {target + L"\\|skipme", target + L"\\|sub", target + L"\\sub\\|rename.txt",
                                          target + L"\\|elsewhere.txt", target + L"\\|stop.txt"};
    EXPECT_EQ(resolved, unpacker.resolved);
    std::vector<std::wstring> extracted = {target + L"\\sub\\renamed.txt", target + L"\\sub",
                                           m_folder.PathOf(L"other\\elsewhere.txt"), target + L"\\stop.txt"};
    EXPECT_EQ(extracted, unpacker.extracted);
    std::vector<std::wstring> folders = {target, target + L"\\sub"};
    EXPECT_EQ(folders, unpacker.folders);
}

class VQProgressLog : public IUnpackProgress {
public:
    void OnExtractStart() override { events.push_back(L"start"); }
    void OnEntryStart(VQTocNode& node) override { events.push_back(L"entry " + node.name); }
    void OnProgress(double overall, double entry) override {
        events.push_back(L"progress " + std::to_wstring(static_cast<int>(overall)) + L" " +
                         std::to_wstring(static_cast<int>(entry)));
    }
    void OnEntryEnd(VQTocNode& node) override { events.push_back(L"end " + node.name); }
    void OnExtractEnd(bool cancelled) override { events.push_back(cancelled ? L"cancelled" : L"done"); }

    std::vector<std::wstring> events;
};

TEST_F(UnpackerTargetTest, ObserverHearsEachEntryAndFullPercentWithoutTotals) {
    VQUnpacker unpacker(WriteSubFolderPackage(m_folder.Path(), L"a.txt", "alpha", kConverterStored));
    VQProgressLog log;
    unpacker.SetObserver(&log);
    ASSERT_TRUE(unpacker.Open());
    ASSERT_TRUE(unpacker.Extract(m_folder.PathOf(L"out")));
    // With no total set the overall figure is 100; a.txt reports once at 0
    // of its 5 bytes before its one block.
    std::vector<std::wstring> expected = {L"start",          L"entry sub",      L"progress 100 100",
                                          L"entry a.txt",    L"progress 100 0", L"progress 100 0",
                                          L"end a.txt",      L"end sub",        L"done"};
    EXPECT_EQ(expected, log.events);
}

}  // namespace
}  // namespace Tessar
