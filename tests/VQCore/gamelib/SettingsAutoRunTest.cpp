#include "VQCore/gamelib/Settings.h"

#include "common/SystemUtil.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

// The autostart value goes to a scratch key, never to the real Run key.
class SettingsAutoRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_scratch.IsValid());
        m_settings.SetAutoRunEntry(VQAutoRunEntry{m_scratch.Root(), m_scratch.PathOf(L"Run"), L"Norvane.exe"});
    }

    bool SetValue(const std::wstring& name, DWORD type, const std::wstring& data) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_scratch.PathOf(L"Run").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        LONG result = ::RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    // False when the value is missing; data is the raw bytes as wide text.
    bool GetValue(const std::wstring& name, DWORD& type, std::wstring& data) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, m_scratch.PathOf(L"Run").c_str(), 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS)
            return false;
        std::vector<wchar_t> buffer(1024, L'\0');
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        LONG result = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                         &size);
        ::RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return false;
        data.assign(buffer.data(), size / sizeof(wchar_t));
        return true;
    }

    static std::wstring Wanted() { return L"\"" + GetOwnModulePath() + L"\" -background"; }

    VQScratchRegistryKey m_scratch;
    VQTempFolder m_temp;
    VQSettings m_settings{m_temp.PathOf(L"config.xml")};
};

TEST(AutoRunEntryTest, IsNorvaneUnderTheUsersRunKey) {
    VQAutoRunEntry entry = DefaultAutoRunEntry();
    EXPECT_EQ(HKEY_CURRENT_USER, entry.root);
    EXPECT_EQ(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", entry.keyPath);
    EXPECT_EQ(L"Norvane.exe", entry.valueName);
}

TEST_F(SettingsAutoRunTest, WritesTheBackgroundCommandLine) {
    ASSERT_TRUE(m_settings.GetBool(L"AutoRun"));
    ASSERT_FALSE(m_scratch.KeyExists(L"Run"));
    EXPECT_TRUE(m_settings.ApplyAutoRun());
    DWORD type = 0;
    std::wstring data;
    ASSERT_TRUE(GetValue(L"Norvane.exe", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    // Written with its terminating zero, as REG_SZ data should be.
    EXPECT_EQ(Wanted() + L'\0', data);
    EXPECT_TRUE(m_settings.ApplyAutoRun());
}

TEST_F(SettingsAutoRunTest, RewritesOnlyADifferentValue) {
    // A value of another type with the wanted text is left as it is.
    ASSERT_TRUE(SetValue(L"Norvane.exe", REG_EXPAND_SZ, Wanted()));
    EXPECT_TRUE(m_settings.ApplyAutoRun());
    DWORD type = 0;
    std::wstring data;
    ASSERT_TRUE(GetValue(L"Norvane.exe", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);

    ASSERT_TRUE(SetValue(L"Norvane.exe", REG_EXPAND_SZ, L"\"C:\\Old\\Norvane.exe\" -background"));
    EXPECT_TRUE(m_settings.ApplyAutoRun());
    ASSERT_TRUE(GetValue(L"Norvane.exe", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(Wanted() + L'\0', data);
}

TEST_F(SettingsAutoRunTest, ClearDeletesOnlyItsValue) {
    ASSERT_TRUE(m_settings.SetBool(L"AutoRun", false));
    EXPECT_FALSE(m_settings.ApplyAutoRun());  // no Run key yet
    ASSERT_TRUE(SetValue(L"Norvane.exe", REG_SZ, Wanted()));
    ASSERT_TRUE(SetValue(L"Other.exe", REG_SZ, L"other"));
    EXPECT_TRUE(m_settings.ApplyAutoRun());
    DWORD type = 0;
    std::wstring data;
    EXPECT_FALSE(GetValue(L"Norvane.exe", type, data));
    EXPECT_TRUE(GetValue(L"Other.exe", type, data));
    // Nothing left to delete.
    EXPECT_FALSE(m_settings.ApplyAutoRun());
}

}  // namespace
}  // namespace Tessar
