#include "VQCore/gamelib/ListFileAside.h"

#include "common/FileUtil.h"
#include "common/PathText.h"

namespace Tessar {

namespace {
const wchar_t kAsideSuffix[] = L".bad";
}  // namespace

bool SetUnreadableListAside(const std::wstring& path, VQListAside& aside) {
    aside = VQListAside();
    if (path.empty() || !PathExists(path)) return false;
    aside.path = path;
    std::wstring target;
    if (MakeUniqueName(path + kAsideSuffix, target) && RenameFile(path, target)) aside.asidePath = target;
    return true;
}

}  // namespace Tessar
