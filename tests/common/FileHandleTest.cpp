#include "common/FileHandle.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tessar {
namespace {

TEST(FileHandleTest, WriteReadSeekAndSize) {
    VQTempFolder folder;
    std::wstring path = folder.PathOf(L"data.bin");
    HANDLE file = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(OpenFileHandle(file, path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
    const char text[] = "0123456789";
    ASSERT_TRUE(WriteFileHandle(file, text, 10));
    uint64_t size = 0;
    ASSERT_TRUE(GetFileHandleSize(file, size));
    EXPECT_EQ(10u, size);

    uint64_t position = 0;
    ASSERT_TRUE(SeekFileHandle(file, -4, FILE_END, &position));
    EXPECT_EQ(6u, position);
    char buffer[16] = {};
    uint32_t read = 0;
    ASSERT_TRUE(ReadFileHandle(file, buffer, sizeof(buffer), &read));
    EXPECT_EQ(4u, read);
    EXPECT_EQ(0, std::memcmp(buffer, "6789", 4));
    // At the end a successful read of 0 bytes counts as failure.
    EXPECT_FALSE(ReadFileHandle(file, buffer, sizeof(buffer), &read));
    EXPECT_EQ(0u, read);

    ASSERT_TRUE(RewindFileHandle(file));
    ASSERT_TRUE(ReadFileHandle(file, buffer, 3));
    EXPECT_EQ(0, std::memcmp(buffer, "012", 3));

    FILETIME when = {0x12345600, 0x01D00000};
    ASSERT_TRUE(SetFileHandleTime(file, nullptr, nullptr, &when));
    FILETIME read_back = {};
    ASSERT_TRUE(::GetFileTime(file, nullptr, nullptr, &read_back));
    EXPECT_EQ(when.dwHighDateTime, read_back.dwHighDateTime);

    EXPECT_TRUE(CloseFileHandleChecked(file));
    EXPECT_EQ(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(CloseFileHandleChecked(file));
    CloseFileHandle(file);
    EXPECT_EQ(INVALID_HANDLE_VALUE, file);
}

TEST(FileHandleTest, FailuresOnMissingFilesAndClosedHandles) {
    VQTempFolder folder;
    HANDLE file = INVALID_HANDLE_VALUE;
    EXPECT_FALSE(OpenFileHandle(file, folder.PathOf(L"missing.bin"), GENERIC_READ, 0, OPEN_EXISTING, 0));
    EXPECT_EQ(INVALID_HANDLE_VALUE, file);
    uint64_t size = 0;
    EXPECT_FALSE(GetFileHandleSize(file, size));
    EXPECT_FALSE(SeekFileHandle(file, 0, FILE_BEGIN));
    char buffer[4];
    EXPECT_FALSE(ReadFileHandle(file, buffer, 4));
    EXPECT_FALSE(WriteFileHandle(file, buffer, 4));
}

TEST(FileHandleTest, OpeningAgainClosesTheHandleHeldBefore) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.txt", "a"));
    ASSERT_TRUE(folder.WriteFile(L"b.txt", "b"));
    HANDLE file = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(OpenFileHandle(file, folder.PathOf(L"a.txt"), GENERIC_READ, 0, OPEN_EXISTING, 0));
    HANDLE first = file;
    ASSERT_TRUE(OpenFileHandle(file, folder.PathOf(L"b.txt"), GENERIC_READ, 0, OPEN_EXISTING, 0));
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(first, &flags) && first != file);
    // a.txt was opened without sharing; it can be opened again now.
    HANDLE again = INVALID_HANDLE_VALUE;
    EXPECT_TRUE(OpenFileHandle(again, folder.PathOf(L"a.txt"), GENERIC_READ, 0, OPEN_EXISTING, 0));
    CloseFileHandle(again);
    CloseFileHandle(file);
}

}  // namespace
}  // namespace Tessar
