// vqtool md5 FILE: prints the file's MD5 text (32 upper-case hex digits).
#include "tools/vqtool/Command.h"

#include "common/Md5.h"

#include <cstdio>

namespace Tessar {
namespace {

int RunMd5(const VQToolArgs& args) {
    if (args.size() != 1)
        return ToolError(L"md5 takes FILE");
    std::wstring digest = Md5OfFile(args[0]);
    if (digest.empty())
        return ToolError(L"cannot read " + args[0] + L" (missing, unreadable or empty)");
    wprintf(L"%ls\n", digest.c_str());
    return 0;
}

const VQToolCommand kMd5(L"md5", L"FILE   print the MD5 text of a file", RunMd5);

}  // namespace
}  // namespace Tessar
