#include "tests/ui/SkinFixture.h"

#include <cstdlib>

#include "common/CodePage.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace Test {

std::wstring TestSkinFolder() {
    const char* binary = std::getenv("VQ_BINARY_DIR");
    if (binary == nullptr || *binary == 0) return std::wstring();
    std::wstring folder = L"Z:" + NarrowToWide(binary) + L"\\fixtures\\skin\\";
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    return folder;
}

std::wstring TestSkinPath(const wchar_t* name) {
    return TestSkinFolder() + name;
}

VQSkinManagerState::VQSkinManagerState() : m_folder(VQSkinManager::Instance().GetResourceFolder()) {}

VQSkinManagerState::~VQSkinManagerState() {
    VQSkinManager::Instance().SetResourceFolder(m_folder);
    VQSkinManager::Instance().RefreshSkinList(L"");
}

}  // namespace Test
}  // namespace Tessar
