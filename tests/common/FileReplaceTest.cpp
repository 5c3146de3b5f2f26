#include "common/FileReplace.h"

#include "common/PathText.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(FileReplaceTest, BytesReplaceTheWholeFile) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"f.bin", std::string(100, 'o')));
    ASSERT_TRUE(WriteBytesReplacing(folder.PathOf(L"f.bin"), "new", 3));
    EXPECT_EQ("new", folder.ReadFile(L"f.bin"));
    ASSERT_TRUE(WriteBytesReplacing(folder.PathOf(L"g.bin"), nullptr, 0));
    EXPECT_TRUE(FileExists(folder.PathOf(L"g.bin")));
    EXPECT_EQ("", folder.ReadFile(L"g.bin"));
    EXPECT_FALSE(WriteBytesReplacing(folder.PathOf(L"h.bin"), nullptr, 3));
}

TEST(FileReplaceTest, FailedWriterLeavesTheOldFileAndNoTemporary) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"f.bin", "old"));
    std::wstring used;
    bool done = WriteFileReplacing(folder.PathOf(L"f.bin"), [&used](const std::wstring& temp) {
        used = temp;
        HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, "half", 4, &written, nullptr);
        ::CloseHandle(file);
        return false;
    });
    EXPECT_FALSE(done);
    EXPECT_EQ("old", folder.ReadFile(L"f.bin"));
    ASSERT_FALSE(used.empty());
    EXPECT_FALSE(PathExists(used));
    // The temporary file lived beside the target.
    EXPECT_EQ(0, _wcsnicmp(used.c_str(), folder.Path().c_str(), folder.Path().size()));
}

TEST(FileReplaceTest, MissingFolderFails) {
    VQTempFolder folder;
    EXPECT_FALSE(WriteBytesReplacing(folder.PathOf(L"no\\f.bin"), "x", 1));
    EXPECT_FALSE(PathExists(folder.PathOf(L"no")));
}

}  // namespace
}  // namespace Tessar
