#include "tests/VQCore/gamelib/DataFileTestUtil.h"

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

}  // namespace Tessar
