// Damaged and hostile "VQZ" packages: names that would leave the target
// folder, cut and corrupt data, sizes that do not fit the file, and
// cancelling. None may crash, succeed, or leave a partial file behind.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/Unpacker.h"
#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/Thread.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace Tessar {
namespace {

// Bytes that zlib cannot shrink much, so that the packed data is long.
std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 2463534242u;
    for (char& c : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    return bytes;
}

class UnpackerFaultTest : public ::testing::Test {
protected:
    // first.txt, big.bin (over two blocks), last.txt.
    std::wstring ThreeFiles(uint16_t converter, VQTocNode& root) {
        AddBytesEntry(root, L"first.txt", kTocFile, "first", converter);
        AddBytesEntry(root, L"big.bin", kTocFile, Noise(1200000), converter);
        AddBytesEntry(root, L"last.txt", kTocFile, "last", converter);
        std::wstring path = m_folder.PathOf(L"p.vqz");
        EXPECT_TRUE(WritePackage(root, path));
        return path;
    }

    // Offset in the package file of the n-th top-level record.
    size_t RecordOffset(const VQTocNode& root, size_t n) {
        size_t offset = kPackageHeaderSize + kTocRecordFixedSize;
        for (size_t i = 0; i < n; ++i)
            offset += static_cast<size_t>(root.children[i]->EncodedSize());
        return offset;
    }
    // Offset of a field behind the name of a type 0-2 record.
    size_t FieldOffset(const VQTocNode& root, size_t n, size_t behindName) {
        return RecordOffset(root, n) + 12 + 2 * root.children[n]->name.size() + behindName;
    }

    VQTempFolder m_folder;
};

const size_t kUnpackedSizeField = 24;
const size_t kDataOffsetField = 34;
const size_t kPackedSizeField = 42;

TEST_F(UnpackerFaultTest, NamesThatLeaveTheTargetAreRefused) {
    const std::wstring outside = m_folder.PathOf(L"evil.txt");
    const std::wstring names[] = {
        L"..",          L".",           L"..\\evil.txt", L"../evil.txt", L"sub\\..\\..\\evil.txt",
        outside,        L"Z:evil.txt",  L"\\\\?\\" + outside, L"\\evil.txt", L"CON",
        L"nul.txt",     L"com1",        L"evil.txt:stream", L"evil.txt.", L"evil.txt ",
        L"",            L"a*b",         L"tab\tname",    L"what?",
    };
    for (const std::wstring& name : names) {
        for (uint32_t type : {kTocFile, kTocFolder}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " name " << WideToUtf8(name));
            VQTocNode root(nullptr, kTocFolder);
            if (type == kTocFile) {
                AddBytesEntry(root, name, kTocFile, "evil", kConverterStored);
            } else {
                boost::shared_ptr<VQTocNode> folder = AddFolderEntry(root, name);
                AddBytesEntry(*folder, L"evil.txt", kTocFile, "evil", kConverterStored);
            }
            std::wstring path = m_folder.PathOf(L"p.vqz");
            ASSERT_TRUE(WritePackage(root, path));
            VQUnpacker unpacker(path);
            ASSERT_TRUE(unpacker.Open());
            std::wstring target = m_folder.PathOf(L"out\\inner");
            EXPECT_FALSE(unpacker.Extract(target));
            EXPECT_EQ("out/\nout/inner/\np.vqz=" + ReadBytes(path) + "\n", DescribeTree(m_folder.Path()));
            DeleteFolderTree(m_folder.PathOf(L"out"));
        }
    }
}

TEST_F(UnpackerFaultTest, NestedBadNameStopsTheExtraction) {
    std::wstring path = WriteSubFolderPackage(m_folder.Path(), L"..", "evil", kConverterStored);
    VQUnpacker unpacker(path);
    ASSERT_TRUE(unpacker.Open());
    EXPECT_FALSE(unpacker.Extract(m_folder.PathOf(L"out")));
    EXPECT_EQ("out/\nout/sub/\np.vqz=" + ReadBytes(path) + "\n", DescribeTree(m_folder.Path()));
}

TEST_F(UnpackerFaultTest, CutPackagesFailWithoutPartialFiles) {
    for (uint16_t converter : {kConverterStored, kConverterZip}) {
        VQTocNode root(nullptr, kTocFolder);
        const std::wstring path = ThreeFiles(converter, root);
        const std::string good = ReadBytes(path);
        const size_t bigStart = static_cast<size_t>(root.children[1]->dataOffset);
        const size_t bigEnd = bigStart + static_cast<size_t>(root.children[1]->packedSize);
        const struct {
            const char* name;
            size_t length;
        } cases[] = {
            {"cut right after the table", static_cast<size_t>(root.children[0]->dataOffset)},
            {"cut inside the first block", bigStart + 1000},
            {"cut after the first block", bigStart + kPackageBlockSize + 10},
            {"cut one byte short of the big entry", bigEnd - 1},
            {"cut one byte short of the end", good.size() - 1},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << "converter " << converter << ": " << c.name);
            ASSERT_TRUE(WriteBytes(path, good.substr(0, c.length)));
            VQUnpacker unpacker(path);
            ASSERT_TRUE(unpacker.Open());
            std::wstring target = m_folder.PathOf(L"out");
            EXPECT_FALSE(unpacker.Extract(target));
            EXPECT_FALSE(FileExists(target + L"\\last.txt"));
            EXPECT_FALSE(FileExists(target + L"\\big.bin") && c.length < bigEnd);
            DeleteFolderTree(target);
        }
    }
}

TEST_F(UnpackerFaultTest, CorruptAndMislabelledEntriesFail) {
    for (uint16_t converter : {kConverterStored, kConverterZip}) {
        VQTocNode root(nullptr, kTocFolder);
        const std::wstring path = ThreeFiles(converter, root);
        const std::string good = ReadBytes(path);
        const size_t bigStart = static_cast<size_t>(root.children[1]->dataOffset);
        const uint64_t bigUnpacked = root.children[1]->unpackedSize;
        const uint64_t bigPacked = root.children[1]->packedSize;
        const struct {
            const char* name;
            bool zlibOnly;
            std::function<void(std::string&)> damage;
        } cases[] = {
            {"stream bytes flipped", true,
             [&](std::string& b) {
                 for (size_t i = bigStart + 100; i < bigStart + 200000; i += 1000)
                     b[i] = static_cast<char>(b[i] ^ 0xFF);
             }},
            {"unpacked size one more", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kUnpackedSizeField), bigUnpacked + 1); }},
            {"unpacked size one less", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kUnpackedSizeField), bigUnpacked - 1); }},
            {"packed size one less", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kPackedSizeField), bigPacked - 1); }},
            {"data beyond the end of the file", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kDataOffsetField), b.size() - 10); }},
            {"data offset past 2^63", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kDataOffsetField), 0x8000000000000000ull); }},
            {"packed size of 2^64-1", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kPackedSizeField), ~0ull); }},
            {"unpacked size above 4 GiB", false,
             [&](std::string& b) { PatchU64(b, FieldOffset(root, 1, kUnpackedSizeField), 0x100000001ull); }},
        };
        for (const auto& c : cases) {
            if (c.zlibOnly && converter != kConverterZip)
                continue;
            SCOPED_TRACE(::testing::Message() << "converter " << converter << ": " << c.name);
            std::string bytes = good;
            c.damage(bytes);
            ASSERT_TRUE(WriteBytes(path, bytes));
            VQUnpacker unpacker(path);
            ASSERT_TRUE(unpacker.Open());
            std::wstring target = m_folder.PathOf(L"out");
            EXPECT_FALSE(unpacker.Extract(target));
            EXPECT_EQ("first", ReadBytes(target + L"\\first.txt"));
            EXPECT_FALSE(FileExists(target + L"\\big.bin"));
            EXPECT_FALSE(FileExists(target + L"\\last.txt"));
            DeleteFolderTree(target);
        }
    }
}

TEST_F(UnpackerFaultTest, HugeDataEntryIsRefusedWithoutAllocating) {
    VQTocNode root(nullptr, kTocFolder);
    AddBytesEntry(root, L"blob", kTocData, "small", kConverterZip);
    std::wstring path = m_folder.PathOf(L"p.vqz");
    ASSERT_TRUE(WritePackage(root, path));
    std::string bytes = ReadBytes(path);
    PatchU64(bytes, FieldOffset(root, 0, kUnpackedSizeField), 0xFFFFFFFF00ull);
    ASSERT_TRUE(WriteBytes(path, bytes));
    VQUnpacker unpacker(path);
    ASSERT_TRUE(unpacker.Open());
    EXPECT_FALSE(unpacker.Extract(m_folder.PathOf(L"out")));
}

// Cancels from the test's thread while the extraction, on its own thread,
// waits inside its first progress report of big.bin.
class VQCancelPoint : public IUnpackProgress {
public:
    VQCancelPoint() : reached(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                      resume(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~VQCancelPoint() {
        ::CloseHandle(reached);
        ::CloseHandle(resume);
    }
    void OnExtractStart() override {}
    void OnEntryStart(VQTocNode& node) override { current = node.name; }
    void OnProgress(double, double) override {
        if (current == L"big.bin" && ::SetEvent(reached))
            ::WaitForSingleObject(resume, 10000);
    }
    void OnEntryEnd(VQTocNode&) override {}
    void OnExtractEnd(bool wasCancelled) override { cancelled = wasCancelled; }

    HANDLE reached;
    HANDLE resume;
    std::wstring current;
    bool cancelled = false;
};

struct VQExtractJob {
    VQUnpacker* unpacker;
    std::wstring target;
    bool result;
};

void RunExtract(void* argument) {
    VQExtractJob* job = static_cast<VQExtractJob*>(argument);
    job->result = job->unpacker->Extract(job->target);
}

TEST_F(UnpackerFaultTest, CancelFromAnotherThreadStopsInsideTheEntry) {
    VQTocNode root(nullptr, kTocFolder);
    VQUnpacker unpacker(ThreeFiles(kConverterZip, root));
    ASSERT_TRUE(unpacker.Open());
    VQCancelPoint point;
    unpacker.SetObserver(&point);
    VQExtractJob job = {&unpacker, m_folder.PathOf(L"out"), true};
    VQThread thread(RunExtract, &job);
    ASSERT_TRUE(thread.Start());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(point.reached, 10000));
    unpacker.Cancel();
    ::SetEvent(point.resume);
    thread.Wait();

    EXPECT_FALSE(job.result);
    EXPECT_TRUE(point.cancelled);
    EXPECT_EQ("first", m_folder.ReadFile(L"out\\first.txt"));
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"out\\big.bin")));
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"out\\last.txt")));
    EXPECT_FALSE(unpacker.IsCancelled());  // cleared for a later run
}

TEST_F(UnpackerFaultTest, CancelBeforeExtractIsKeptAndCleared) {
    VQUnpacker unpacker(WriteSubFolderPackage(m_folder.Path(), L"a.txt", "alpha", kConverterZip));
    ASSERT_TRUE(unpacker.Open());
    unpacker.Cancel();
    EXPECT_FALSE(unpacker.Extract(m_folder.PathOf(L"out")));
    EXPECT_FALSE(PathExists(m_folder.PathOf(L"out\\sub")));
    EXPECT_TRUE(unpacker.Extract(m_folder.PathOf(L"out")));
    EXPECT_EQ("alpha", m_folder.ReadFile(L"out\\sub\\a.txt"));
}

}  // namespace
}  // namespace Tessar
