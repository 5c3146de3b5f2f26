#include "tests/VQCore/gamelib/DataFileTestUtil.h"

#include "common/FileUtil.h"
#include "tests/support/LocalServer.h"

#include <windows.h>

namespace Tessar {

std::string ReadTextLines(const VQTempFolder& folder, const std::wstring& name) {
    std::string text = folder.ReadFile(name);
    std::string lines;
    lines.reserve(text.size());
    for (char c : text) {
        if (c != '\r')
            lines += c;
    }
    return lines;
}

std::wstring FixturePath(const std::string& name) {
    return Test::UnixToWindowsPath(Test::BinaryDirUnix() + "/fixtures/" + name);
}

bool CopyFixture(const std::string& name, const std::wstring& target) {
    std::wstring folder = GetFullPathFolder(target);
    return CreateFolderChain(folder) && ::CopyFileW(FixturePath(name).c_str(), target.c_str(), FALSE) != FALSE;
}

}  // namespace Tessar
