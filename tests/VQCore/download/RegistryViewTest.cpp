// Runtime installers are 32-bit programs: the detectors read the keys they
// wrote in the 32-bit registry view, as a 32-bit program would see them.
#include "VQCore/download/DetectEnvironment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace Tessar {
namespace {

const wchar_t kKey[] = L"Software\\TessarRegistryViewTest";

void WriteMarker(REGSAM view, const wchar_t* value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                           KEY_SET_VALUE | view, nullptr, &key, nullptr));
  DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
  RegSetValueExW(key, L"Marker", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
  RegCloseKey(key);
}

void DeleteMarkers() {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_64KEY, 0);
}

TEST(RegistryView, DetectorsReadThe32BitView) {
  DeleteMarkers();
  WriteMarker(KEY_WOW64_64KEY, L"native");
  WriteMarker(KEY_WOW64_32KEY, L"wow64");

  VQRegistryRoot root;
  root.key = HKEY_LOCAL_MACHINE;
  VQRegKeyHolder holder;
  ASSERT_TRUE(root.Open(holder, kKey));
  std::wstring marker;
  EXPECT_TRUE(holder.RegQueryString(L"Marker", marker));
  EXPECT_EQ(L"wow64", marker);

  DeleteMarkers();
  VQRegKeyHolder gone;
  EXPECT_FALSE(root.Open(gone, kKey));
}

}  // namespace
}  // namespace Tessar
