#pragma once
// Shared by the installation tests: the fixed path macros sent into a
// scratch folder, and packages built in the test.

#include "VQCore/download/TocNode.h"

#include <map>
#include <string>

namespace Tessar {

// While it lives, every fixed macro ("my_desktop", "program_files", ...)
// stands for base\<name>, so that no install reaches the Wine user's real
// folders.
class VQScratchMacroFolders {
public:
    explicit VQScratchMacroFolders(const std::wstring& base);
    ~VQScratchMacroFolders();
    VQScratchMacroFolders(const VQScratchMacroFolders&) = delete;
    VQScratchMacroFolders& operator=(const VQScratchMacroFolders&) = delete;

    std::wstring FolderOf(const std::wstring& macro) const;

private:
    std::map<std::wstring, std::wstring> m_folders;
};

// Adds the vqmeta entry (inline) when meta is not empty, then writes the
// package; the path, or empty on failure.
std::wstring WriteInstallPackage(VQTocNode& root, const std::wstring& path,
                                 const std::map<std::wstring, std::wstring>& meta = {});

// Every file and folder below folder, as DescribeTree gives them, without
// the uninstall record.
std::string DescribeInstalled(const std::wstring& folder);

}  // namespace Tessar
