// Package installation of a 500 MB "VQZ" package of mixed compressible and
// incompressible files (made by the benchmark in a scratch folder): the
// whole install (open, extract with times and attributes, uninstall
// record) beside a bare reference that inflates the same entries with
// zlib in 512 KiB blocks and writes them with plain file calls. Best of
// two runs each, taken in turns.

#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/SfxInstall.h"
#include "bench/BenchClock.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/TempFile.h"

#include <windows.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace Tessar;

namespace {

const int kFolders = 4;
const int kFilesPerFolder = 10;  // half of them compressible
const uint32_t kFileSize = 12500000;
const uint32_t kBlock = 524288;
const int kRuns = 2;

// Text lines of words: deflate takes them to about a third.
std::string CompressibleBytes(std::mt19937& random, uint32_t size) {
    static const char* const words[] = {"level", "monster", "sword", "castle", "dragon", "potion", "quest",
                                        "score", "player", "shield", "map", "door", "key", "gold", "boss"};
    std::string bytes;
    bytes.reserve(size + 64);
    while (bytes.size() < size) {
        bytes += words[random() % 15];
        bytes += random() % 8 == 0 ? "\r\n" : " ";
        if (random() % 16 == 0)
            bytes += std::to_string(random() % 100000);
    }
    bytes.resize(size);
    return bytes;
}

std::string RandomBytes(std::mt19937& random, uint32_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        uint32_t word = random();
        std::memcpy(&bytes[i], &word, 4);
    }
    return bytes;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool written = WriteFileHandle(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return CloseFileHandleChecked(file) && written;
}

// The reference: the same entries, bare zlib and plain file calls.
bool BareExtract(const std::wstring& package, const VQTocNode& node, const std::wstring& folder, HANDLE input,
                 std::vector<unsigned char>& in, std::vector<unsigned char>& out) {
    for (const boost::shared_ptr<VQTocNode>& child : node.children) {
        std::wstring path = folder + L"\\" + child->name;
        if (child->type == kTocFolder) {
            if (!::CreateDirectoryW(path.c_str(), nullptr) || !BareExtract(package, *child, path, input, in, out))
                return false;
            continue;
        }
        if (child->type != kTocFile)
            continue;
        LARGE_INTEGER offset;
        offset.QuadPart = static_cast<LONGLONG>(child->dataOffset);
        if (!::SetFilePointerEx(input, offset, nullptr, FILE_BEGIN))
            return false;
        HANDLE output = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
        if (output == INVALID_HANDLE_VALUE)
            return false;
        z_stream stream = {};
        bool ok = inflateInit(&stream) == Z_OK;
        uint64_t remaining = child->packedSize;
        int status = Z_OK;
        while (ok && remaining > 0) {
            DWORD want = static_cast<DWORD>(std::min<uint64_t>(remaining, in.size()));
            DWORD got = 0;
            ok = ::ReadFile(input, in.data(), want, &got, nullptr) && got == want;
            remaining -= got;
            stream.next_in = in.data();
            stream.avail_in = got;
            while (ok && stream.avail_in > 0 && status != Z_STREAM_END) {
                stream.next_out = out.data();
                stream.avail_out = static_cast<uInt>(out.size());
                status = inflate(&stream, Z_NO_FLUSH);
                ok = status == Z_OK || status == Z_STREAM_END;
                DWORD produced = static_cast<DWORD>(out.size() - stream.avail_out);
                DWORD written = 0;
                ok = ok && (produced == 0 || (::WriteFile(output, out.data(), produced, &written, nullptr) &&
                                              written == produced));
            }
        }
        inflateEnd(&stream);
        ok = ::CloseHandle(output) && ok;
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace

int main() {
    std::wstring temp;
    if (!GetTempFolder(temp)) {
        std::printf("no temporary folder\n");
        return 1;
    }
    const std::wstring scratch = CombinePath(temp, L"vqbench-install-" + UIntToString(::GetCurrentProcessId()));
    const std::wstring source = scratch + L"\\source";
    const std::wstring package = scratch + L"\\game.vqz";
    if (!CreateFolderChain(source)) {
        std::printf("cannot make %ls\n", scratch.c_str());
        return 1;
    }

    std::printf("making %d files of %u bytes and packing them...\n", kFolders * kFilesPerFolder, kFileSize);
    std::mt19937 random(1234);
    for (int f = 0; f < kFolders; ++f) {
        std::wstring folder = source + L"\\folder" + UIntToString(f);
        CreateFolder(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            bool text = i % 2 == 0;
            std::string bytes = text ? CompressibleBytes(random, kFileSize) : RandomBytes(random, kFileSize);
            if (!WriteWhole(folder + L"\\file" + UIntToString(i) + (text ? L".txt" : L".bin"), bytes)) {
                std::printf("cannot write the source files\n");
                return 1;
            }
        }
    }
    {
        VQTocNode root(nullptr, kTocFolder);
        if (!AddFolderContents(root, source, kConverterZip) || !WritePackage(root, package)) {
            std::printf("cannot write the package\n");
            return 1;
        }
    }
    DeleteFolderTree(source);

    VQUnpacker reader(package);
    if (!reader.Open()) {
        std::printf("cannot read the package\n");
        return 1;
    }
    std::vector<unsigned char> in(kBlock);
    std::vector<unsigned char> out(kBlock);
    double ours = 1e300;
    double bare = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        const std::wstring target = scratch + L"\\ours";
        double start = Bench::NowMs();
        VQSfxInstall install(package);
        bool ok = install.Open() && install.Extract(target);
        ours = std::min(ours, Bench::NowMs() - start);
        if (!ok) {
            std::printf("the install failed\n");
            return 1;
        }
        DeleteFolderTree(target);

        const std::wstring bareTarget = scratch + L"\\bare";
        start = Bench::NowMs();
        HANDLE input = ::CreateFileW(package.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        ok = input != INVALID_HANDLE_VALUE && ::CreateDirectoryW(bareTarget.c_str(), nullptr) &&
             BareExtract(package, reader.GetRoot(), bareTarget, input, in, out);
        if (input != INVALID_HANDLE_VALUE)
            ::CloseHandle(input);
        bare = std::min(bare, Bench::NowMs() - start);
        if (!ok) {
            std::printf("the bare extraction failed\n");
            return 1;
        }
        DeleteFolderTree(bareTarget);
    }
    // Kept level with the bare calls (1.004 on an idle machine).
    Bench::PrintGoalLine("package install 500 MB (40 files, half compressible)", ours, "bare zlib and file calls",
                         bare, "ms", Bench::RatioAtMost(1.05));
    DeleteFolderTree(scratch);
    return 0;
}
