// vqtool pack DIR PKG [options]: a folder into a "VQZ" package, with the
// vqmeta entry the installation reads and an optional task script.
#include "tools/vqtool/Command.h"

#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "common/PathText.h"

#include <map>

namespace Tessar {
namespace {

int RunPack(const VQToolArgs& args) {
    if (args.size() < 2)
        return ToolError(L"pack takes DIR PKG [options]");
    uint16_t converter = kConverterZip;
    std::map<std::wstring, std::wstring> meta;
    std::wstring tasks;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::wstring& option = args[i];
        bool hasValue = i + 1 < args.size();
        if (option == L"--store") {
            converter = kConverterStored;
        } else if (option == L"--folder" && hasValue) {
            meta[kMetaFolder] = args[++i];
        } else if (option == L"--exe" && hasValue) {
            meta[kMetaExe] = args[++i];
        } else if (option == L"--args" && hasValue) {
            meta[kMetaArgs] = args[++i];
        } else if (option == L"--meta" && hasValue) {
            const std::wstring& pair = args[++i];
            size_t equals = pair.find(L'=');
            if (equals == std::wstring::npos || equals == 0)
                return ToolError(L"--meta takes KEY=VALUE, not " + pair);
            meta[pair.substr(0, equals)] = pair.substr(equals + 1);
        } else if (option == L"--tasks" && hasValue) {
            tasks = args[++i];
        } else {
            return ToolError(L"unknown or incomplete option " + option);
        }
    }
    if (!FolderExists(args[0]))
        return ToolError(L"no folder " + args[0]);

    VQTocNode root(nullptr, kTocFolder);
    if (!meta.empty()) {
        std::string encoded = EncodePackageMeta(meta);
        // Small metadata sits in the table itself; more goes to a data entry.
        uint32_t type = encoded.size() <= kTocMaxInlineData ? kTocInline : kTocData;
        AddBytesEntry(root, kMetaEntryName, type, encoded, converter);
    }
    if (!tasks.empty()) {
        if (!FileExists(tasks))
            return ToolError(L"no task script " + tasks);
        AddFileEntry(root, kTasksEntryName, tasks, converter);
    }
    if (!AddFolderContents(root, args[0], converter))
        return ToolError(L"cannot list " + args[0]);
    if (!WritePackage(root, args[1]))
        return ToolError(L"cannot write " + args[1]);
    return 0;
}

const VQToolCommand kPack(L"pack",
                          L"DIR PKG [--store] [--folder F] [--exe P] [--args A] [--meta K=V]... [--tasks FILE]\n"
                          L"      make a \"VQZ\" package of a folder (zlib unless --store)",
                          RunPack);

}  // namespace
}  // namespace Tessar
