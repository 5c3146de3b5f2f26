// vqtool unpackb PKG DIR: extracts a format B package through the
// program's own reader and prints where the game's ".swf" file went.
#include "tools/vqtool/Command.h"

#include "VQCore/download/GamePackage.h"

#include <cstdio>

namespace Tessar {
namespace {

int RunUnpackB(const VQToolArgs& args) {
    if (args.size() != 2)
        return ToolError(L"unpackb takes PKG DIR");
    VQGamePackage package;
    if (!ExtractGamePackage(args[1], package, args[0]))
        return ToolError(L"cannot extract " + args[0] + L" into " + args[1]);
    if (!package.mainFilePath.empty())
        wprintf(L"main=%ls\n", package.mainFilePath.c_str());
    return 0;
}

const VQToolCommand kUnpackB(L"unpackb", L"PKG DIR   extract a format B package and print its main file",
                             RunUnpackB);

}  // namespace
}  // namespace Tessar
