#pragma once
// Paths of the test skin that the build writes under the fixture folder.

#include <string>

namespace Tessar {
namespace Test {

// The skin folder with a trailing backslash ("" when the build folder is unknown).
std::wstring TestSkinFolder();
// A file of the test skin.
std::wstring TestSkinPath(const wchar_t* name);

// The skin manager is one per process: its resource folder and skin list,
// as a test found them, come back at the end of the scope.
class VQSkinManagerState {
public:
    VQSkinManagerState();
    ~VQSkinManagerState();
    VQSkinManagerState(const VQSkinManagerState&) = delete;
    VQSkinManagerState& operator=(const VQSkinManagerState&) = delete;

private:
    std::wstring m_folder;
};

}  // namespace Test
}  // namespace Tessar
