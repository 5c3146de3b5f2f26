// A list file that exists but could not be read is moved aside beside
// itself, never written over; one that cannot be moved stays as it is.
#include "VQCore/gamelib/ListFileAside.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "common/PathText.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

TEST(ListFileAside, ADamagedListIsMovedAsideWithItsBytes) {
    VQTempFolder folder;
    VQListAside aside;
    EXPECT_FALSE(SetUnreadableListAside(folder.PathOf(L"install.vqx"), aside)) << "a missing list is no damage";
    EXPECT_EQ(L"", aside.path);

    struct Case {
        const char* bytes;
        const wchar_t* aside;
    } cases[] = {{"<INSTALLED><COMMON><NO", L"install.vqx.bad"}, {"", L"install.vqx(1).bad"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(folder.WriteFile(L"install.vqx", c.bytes));
        ASSERT_TRUE(SetUnreadableListAside(folder.PathOf(L"install.vqx"), aside));
        EXPECT_EQ(folder.PathOf(L"install.vqx"), aside.path);
        EXPECT_EQ(folder.PathOf(c.aside), aside.asidePath);
        EXPECT_FALSE(FileExists(folder.PathOf(L"install.vqx")));
        EXPECT_EQ(c.bytes, folder.ReadFile(c.aside)) << "an earlier bad file is not replaced";
    }
}

TEST(ListFileAside, AListThatCannotBeMovedStaysWhereItIs) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"download.vqx", "<DOWNLOAD><NO"));
    // Held open by another program, sharing nothing.
    HANDLE held = ::CreateFileW(folder.PathOf(L"download.vqx").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    VQListAside aside;
    EXPECT_TRUE(SetUnreadableListAside(folder.PathOf(L"download.vqx"), aside));
    EXPECT_EQ(folder.PathOf(L"download.vqx"), aside.path);
    EXPECT_EQ(L"", aside.asidePath);
    ::CloseHandle(held);
    EXPECT_EQ("<DOWNLOAD><NO", folder.ReadFile(L"download.vqx"));
    EXPECT_FALSE(FileExists(folder.PathOf(L"download.vqx.bad")));
}

}  // namespace
}  // namespace Tessar
