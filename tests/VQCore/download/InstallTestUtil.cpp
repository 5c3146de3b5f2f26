#include "tests/VQCore/download/InstallTestUtil.h"

#include "VQCore/download/InstallMacros.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "common/PathText.h"
#include "tests/VQCore/download/PackageTestUtil.h"

namespace Tessar {

VQScratchMacroFolders::VQScratchMacroFolders(const std::wstring& base) {
    for (const std::wstring& name : FixedMacroNames())
        m_folders[name] = CombinePath(base, name);
    SetFixedMacroFolders(&m_folders);
}

VQScratchMacroFolders::~VQScratchMacroFolders() {
    SetFixedMacroFolders(nullptr);
}

std::wstring VQScratchMacroFolders::FolderOf(const std::wstring& macro) const {
    std::map<std::wstring, std::wstring>::const_iterator found = m_folders.find(macro);
    return found == m_folders.end() ? std::wstring() : found->second;
}

std::wstring WriteInstallPackage(VQTocNode& root, const std::wstring& path,
                                 const std::map<std::wstring, std::wstring>& meta) {
    if (!meta.empty()) {
        boost::shared_ptr<VQTocNode> entry = AddBytesEntry(root, kMetaEntryName, kTocInline, EncodePackageMeta(meta), 0);
        // The metadata comes first, as vqtool writes it.
        root.children.pop_back();
        root.children.insert(root.children.begin(), entry);
    }
    return WritePackage(root, path) ? path : std::wstring();
}

std::string DescribeInstalled(const std::wstring& folder) {
    std::string tree = DescribeTree(folder);
    size_t at = tree.find("VQUnistall.dat=");
    if (at != std::string::npos && (at == 0 || tree[at - 1] == '\n')) {
        // The record's bytes may hold line ends; the next line starts after
        // its last byte, which DescribeTree does not mark, so cut by length.
        std::string bytes = ReadBytes(CombinePath(folder, L"VQUnistall.dat"));
        tree.erase(at, std::string("VQUnistall.dat=").size() + bytes.size() + 1);
    }
    return tree;
}

}  // namespace Tessar
