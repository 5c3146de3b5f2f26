// vqtool packb DIR PKG: a folder into a format B package (Flash games and
// icon packages).
#include "tools/vqtool/Command.h"

#include "VQCore/download/GamePackageWriter.h"
#include "common/PathText.h"

namespace Tessar {
namespace {

int RunPackB(const VQToolArgs& args) {
    if (args.size() != 2)
        return ToolError(L"packb takes DIR PKG");
    if (!FolderExists(args[0]))
        return ToolError(L"no folder " + args[0]);
    std::vector<VQGamePackSource> sources;
    if (!CollectGamePackageSources(args[0], sources))
        return ToolError(L"cannot list " + args[0] + L" (or a path is too long)");
    if (!WriteGamePackage(sources, args[1]))
        return ToolError(L"cannot write " + args[1]);
    return 0;
}

const VQToolCommand kPackB(L"packb", L"DIR PKG   make a format B (Flash game or icon) package of a folder", RunPackB);

}  // namespace
}  // namespace Tessar
