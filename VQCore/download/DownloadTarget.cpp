#include "VQCore/download/DownloadTarget.h"

#include "VQCore/download/PackageSafety.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

namespace Tessar {

std::wstring DownloadTargetPath(const std::wstring& folder, const std::wstring& fileName) {
    std::wstring name = StripQuotes(fileName);
    if (folder.empty() || !IsSafeEntryName(name))
        return std::wstring();
    return CombinePath(folder, name);
}

}  // namespace Tessar
