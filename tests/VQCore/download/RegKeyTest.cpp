#include "VQCore/download/RegKey.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

TEST(RegKeyTest, FullNamesOfEveryRoot) {
    const VQRegRootEntry* table = RegRootTable();
    const wchar_t* names[kRegRootCount] = {L"HKEY_CURRENT_USER",     L"HKEY_CURRENT_CONFIG", L"HKEY_USERS",
                                           L"HKEY_LOCAL_MACHINE",    L"HKEY_PERFORMANCE_DATA", L"HKEY_DYN_DATA"};
    for (size_t i = 0; i < kRegRootCount; ++i) {
        EXPECT_EQ(std::wstring(names[i]), table[i].name);
        EXPECT_EQ(std::wstring(names[i]).size(), table[i].length);
        VQRegKey key(std::wstring(L"-") + names[i] + L"\\Software\\X");
        EXPECT_EQ(table[i].root, key.root);
        EXPECT_EQ(std::wstring(L"-") + names[i] + L"\\Software\\X", key.GetFullName(true));
        EXPECT_EQ(std::wstring(names[i]) + L"\\Software\\X", key.GetFullName(false));
    }
    EXPECT_EQ(HKEY_CURRENT_USER, RegRootHandle(0x80000001));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, RegRootHandle(0x80000002));
}

TEST(RegKeyTest, NamesAndEmptyKeys) {
    VQRegKey empty;
    EXPECT_EQ(L"HKEY_CURRENT_USER", empty.GetFullName(true));
    EXPECT_TRUE(empty.IsNoOp());
    EXPECT_TRUE(empty.IsWritable());

    VQRegKey plain(0x80000001, L"Software\\X");
    EXPECT_EQ(0, plain.deleteKey);
    EXPECT_EQ(L"HKEY_CURRENT_USER\\Software\\X", plain.GetFullName(true));
    EXPECT_FALSE(plain.IsNoOp());

    VQRegKey other(0x80000000, L"x");  // HKEY_CLASSES_ROOT is not in the table
    EXPECT_EQ(L"", other.GetFullName(false));
    EXPECT_FALSE(other.IsWritable());

    VQRegKey named;
    // The classes root's keys go below the user's Software\Classes.
    EXPECT_TRUE(named.SetFullName(L"hkey_classes_root\\.x\\"));
    EXPECT_EQ(0x80000001u, named.root);
    EXPECT_EQ(L"Software\\Classes\\.x", named.path);
    EXPECT_FALSE(named.SetFullName(L"-HKEY_CLASSES_ROOT"));
    EXPECT_EQ(kRegNoRoot, named.root);
    EXPECT_FALSE(named.SetFullName(L"HKEY_CLASSES_ROOTX\\x"));
    EXPECT_EQ(kRegNoRoot, named.root);
    EXPECT_TRUE(named.SetFullName(L"HKEY_USERS"));
    EXPECT_EQ(0x80000003u, named.root);
    EXPECT_EQ(L"", named.path);
}

}  // namespace
}  // namespace Tessar
