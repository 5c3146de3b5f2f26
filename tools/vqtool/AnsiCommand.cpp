// vqtool ansi IN OUT: a UTF-8 text file (kept readable in the source tree)
// into the system code page, which the data files are written in.
#include "tools/vqtool/Command.h"

#include "common/CodePage.h"
#include "common/FileReplace.h"

#include <cstdio>
#include <string>

namespace Tessar {
namespace {

bool ReadBytes(const std::wstring& path, std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return false;
    char block[4096];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof(block), file)) > 0)
        bytes.append(block, got);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

int RunAnsi(const VQToolArgs& args) {
    if (args.size() != 2)
        return ToolError(L"ansi takes IN and OUT");
    std::string bytes;
    if (!ReadBytes(args[0], bytes))
        return ToolError(L"cannot read " + args[0]);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    std::wstring text;
    if (!Utf8ToWide(bytes.data(), bytes.size(), text))
        return ToolError(args[0] + L" is not UTF-8");
    std::string narrow = WideToNarrow(text);
    // Every character must survive: a fixture never holds a stand-in "_".
    if (NarrowStringToWide(narrow) != text)
        return ToolError(args[0] + L" has characters outside the system code page");
    if (!WriteBytesReplacing(args[1], narrow.data(), static_cast<uint32_t>(narrow.size())))
        return ToolError(L"cannot write " + args[1]);
    return 0;
}

const VQToolCommand kAnsi(L"ansi", L"IN OUT   convert a UTF-8 text file into the system code page", RunAnsi);

}  // namespace
}  // namespace Tessar
