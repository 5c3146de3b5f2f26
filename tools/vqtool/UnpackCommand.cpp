// vqtool unpack PKG DIR: extracts a "VQZ" package through the program's own
// reader and prints the pairs of its vqmeta entry.
#include "tools/vqtool/Command.h"

#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/Unpacker.h"

#include <cstdio>
#include <map>

namespace Tessar {
namespace {

int RunUnpack(const VQToolArgs& args) {
    if (args.size() != 2)
        return ToolError(L"unpack takes PKG DIR");
    VQUnpacker unpacker(args[0]);
    if (!unpacker.Open())
        return ToolError(L"cannot open package " + args[0]);
    if (!unpacker.Extract(args[1]))
        return ToolError(L"cannot extract " + args[0] + L" into " + args[1]);
    for (const boost::shared_ptr<VQTocNode>& entry : unpacker.GetRoot().children) {
        if (entry->name != kMetaEntryName || entry->type == kTocFolder || entry->type == kTocFile)
            continue;
        std::map<std::wstring, std::wstring> meta;
        if (!DecodePackageMeta(entry->data.data, entry->data.size, meta))
            return ToolError(L"bad vqmeta entry in " + args[0]);
        for (const auto& pair : meta)
            wprintf(L"%ls=%ls\n", pair.first.c_str(), pair.second.c_str());
    }
    return 0;
}

const VQToolCommand kUnpack(L"unpack", L"PKG DIR   extract a \"VQZ\" package and print its metadata", RunUnpack);

}  // namespace
}  // namespace Tessar
