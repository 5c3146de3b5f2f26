#include "VQCore/download/SfxInstall.h"

#include "VQCore/download/InstallPaths.h"
#include "VQCore/download/InstallShortcut.h"
#include "VQCore/download/InstallTaskScript.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageSafety.h"
#include "VQCore/download/RegFileApply.h"
#include "VQCore/download/RegParser.h"
#include "VQCore/download/RegUndo.h"
#include "VQCore/download/UninstallRecord.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <algorithm>
#include <exception>

namespace Tessar {

const wchar_t kRegistryEntryName[] = L"##reg##.reg";

namespace {

// Metadata is a handful of texts; more is no package's metadata.
const uint64_t kMaxMetaBytes = 1048576;
// Folder of a package that names none, when its file title is unusable.
const wchar_t kFallbackGameFolder[] = L"Game";
// A replaced file waits next to its place under this suffix (and a number
// when the name is taken).
const wchar_t kSetAsideSuffix[] = L".vqbak";
const int kMaxSetAsideTries = 1000;

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

// The whole extension, not a prefix of it: ".l" is no ".lnk".
bool HasExtension(const std::wstring& name, const wchar_t* extension) {
    return SameName(GetFileExtension(name), extension);
}

uint64_t PackedSizeOfTree(const VQTocNode& node) {
    uint64_t total = node.packedSize;
    for (const boost::shared_ptr<VQTocNode>& child : node.children) {
        uint64_t below = PackedSizeOfTree(*child);
        total = below > UINT64_MAX - total ? UINT64_MAX : total + below;
    }
    return total;
}

bool FileHasSize(const std::wstring& path, uint64_t size) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) == size;
}

// "X:" alone, as the system-drive macro gives it.
bool IsBareDrive(const std::wstring& text) {
    return text.size() == 2 && text[1] == L':' && IsCharAlphaW(text[0]);
}

}  // namespace

VQSfxInstall::VQSfxInstall(const std::wstring& packagePath) : VQUnpacker(packagePath) {}

VQSfxInstall::~VQSfxInstall() = default;

bool VQSfxInstall::Open() {
    if (!VQUnpacker::Open())
        return false;
    if (!ReadMeta()) {
        m_opened = false;
        m_file.reset();
        return false;
    }
    m_totalBytes = PackedSizeOfTree(m_root);
    return true;
}

bool VQSfxInstall::ReadMeta() {
    for (const boost::shared_ptr<VQTocNode>& child : m_root.children) {
        if (child->name != kMetaEntryName || child->type == kTocFolder)
            continue;
        if (!LoadEntryData(*child) || !DecodePackageMeta(child->data.data, child->data.size, m_meta))
            return false;
    }
    return true;
}

bool VQSfxInstall::LoadEntryData(VQTocNode& node) {
    if (node.type == kTocInline)
        return true;
    if (node.unpackedSize > kMaxMetaBytes || !IsDataInFile(node))
        return false;
    uint64_t position = 0;
    if (!SeekFileHandle(m_file->Get(), static_cast<int64_t>(node.dataOffset), FILE_BEGIN, &position) ||
        position != node.dataOffset)
        return false;
    boost::shared_ptr<VQCompressConverter> converter = GetConverter(node.converterId);
    return converter && converter->Reset() && ReadDataEntry(node, *converter);
}

std::wstring VQSfxInstall::ChooseInstallFolder(const std::wstring& targetFolder) const {
    if (!IsAbsolutePath(targetFolder))
        return std::wstring();
    std::wstring target = targetFolder;
    if (target.size() > 1 && target[target.size() - 1] == L'\\')
        target.erase(target.size() - 1);
    std::wstring folder;
    std::map<std::wstring, std::wstring>::const_iterator meta = m_meta.find(kMetaFolder);
    if (meta != m_meta.end() && !m_macros.Expand(meta->second, folder))
        return std::wstring();
    if (folder.empty()) {
        folder = GetFileTitle(m_packagePath);
        TrimRightChars(folder, L". ");
        if (!IsSafeEntryName(folder))
            folder = kFallbackGameFolder;
    }
    if (!IsSafeRelativePath(folder))
        return std::wstring();
    return NormalInstallPath(CombinePath(target, folder));
}

bool VQSfxInstall::Extract(const std::wstring& targetFolder) {
    m_fileLog.clear();
    m_taskScripts.clear();
    m_registryUndo.clear();
    m_setAside.clear();
    m_uninstallDigest.clear();
    m_doneBytes = 0;
    m_installFolder = ChooseInstallFolder(targetFolder);
    if (m_installFolder.empty() || !m_opened)
        return false;
    m_macros.Set(kInstallMacro, m_installFolder);

    // A game without its record could never be removed again, nor its
    // registry changes undone: that is no install. The record comes before
    // the task scripts, whose effects no roll-back could take back.
    std::wstring digest;
    if (!VQUnpacker::Extract(m_installFolder) ||
        !WriteUninstallData(CombinePath(m_installFolder, kUninstallRecordName), &digest)) {
        RollBack();
        return false;
    }
    m_uninstallDigest = digest;
    DropSetAsideFiles();
    RunTaskScripts();
    return true;
}

bool VQSfxInstall::ResolveEntryPath(VQTocNode& node, std::wstring& folder, std::wstring& name, bool& skip) {
    skip = false;
    if (node.parent == &m_root && node.type == kTocFolder && name.size() > 4 && StartsWith(name, L"##") &&
        name.compare(name.size() - 2, 2, L"##") == 0) {
        std::wstring value;
        if (m_macros.Find(name.substr(2, name.size() - 4), value) && !value.empty()) {
            TrimRightChars(value, kPathSeparators);
            if (!IsBareDrive(value) && !IsAbsolutePath(value))
                return false;
            size_t slash = value.rfind(L'\\');
            folder = slash == std::wstring::npos ? std::wstring() : value.substr(0, slash + 1);
            name = slash == std::wstring::npos ? value : value.substr(slash + 1);
        }
    }
    if (node.type == kTocFile) {
        // A file that stays in the way would leave the old one passing for
        // the package's; the install fails instead.
        std::wstring target = IsDriveRoot(name) ? name : CombinePath(folder, name);
        if (FileExists(target) && !SetAsideReplacedFile(target))
            return false;
    }
    return true;
}

bool VQSfxInstall::SetAsideReplacedFile(const std::wstring& path) {
    for (int attempt = 0; attempt < kMaxSetAsideTries; ++attempt) {
        std::wstring kept = path + kSetAsideSuffix;
        if (attempt > 0)
            kept += UIntToString(static_cast<uint32_t>(attempt));
        if (PathExists(kept))
            continue;
        // A rename in the same folder: the user's file is never copied, and
        // never gone.
        if (!::MoveFileExW(path.c_str(), kept.c_str(), 0))
            return false;
        m_setAside.push_back({path, kept});
        return true;
    }
    return false;
}

void VQSfxInstall::DropSetAsideFiles() {
    for (const SetAsideFile& file : m_setAside)
        ForceDeleteFile(file.kept);
    m_setAside.clear();
}

bool VQSfxInstall::CreateFolder(const std::wstring& path) {
    std::wstring folder = path;
    TrimRightChars(folder, kPathSeparators);
    std::vector<std::wstring> missing;
    for (std::wstring at = folder; at.size() > 3 && !PathExists(at);) {
        missing.push_back(at);
        size_t slash = at.find_last_of(kPathSeparators);
        if (slash == std::wstring::npos)
            break;
        at.erase(slash);
    }
    for (size_t i = missing.size(); i-- > 0;) {
        if (!::CreateDirectoryW(missing[i].c_str(), nullptr))
            break;
        m_fileLog.push_back(missing[i]);
    }
    return FolderExists(folder);
}

bool VQSfxInstall::OnEntryExtracted(VQTocNode& node) {
    m_doneBytes += node.packedSize;
    if (node.type != kTocFile)
        return true;
    // A file the system would not let us write is not installed.
    if (!FileHasSize(node.fullPath, node.unpackedSize))
        return false;
    if (SameName(node.name, kRegistryEntryName)) {
        bool imported = ImportRegistryFile(node.fullPath);
        ForceDeleteFile(node.fullPath);
        return imported;
    }
    m_fileLog.push_back(node.fullPath);
    if (SameName(node.name, kTasksEntryName))
        m_taskScripts.push_back(node.fullPath);
    else if (HasExtension(node.name, L".lnk"))
        FixInstalledShortcut(node.fullPath, m_installFolder);  // a shortcut left as it was is no failure
    return true;
}

bool VQSfxInstall::ImportRegistryFile(const std::wstring& path) {
    try {
        VQRegParser parser;
        parser.LoadRegFile(path);
        for (VQRegKey& key : parser.Keys()) {
            if (!m_macros.Expand(key.path, key.path))
                return false;
            for (VQRegValue& value : key.values) {
                if (!m_macros.Expand(value.name, value.name))
                    return false;
                if (value.type == REG_SZ && !m_macros.Expand(value.text, value.text))
                    return false;
            }
        }
        // Undo records gather over every registry file of the package.
        return ImportRegKeys(m_registryUndo, parser.Keys());
    } catch (const std::exception&) {
        return false;
    }
}

void VQSfxInstall::RunTaskScripts() {
    VQTaskScriptHost host;
    host.expand = [this](const std::wstring& text, std::wstring& out) { return m_macros.Expand(text, out); };
    host.allowPath = [this](const std::wstring& path) { return IsInstallPlace(path); };
    for (const std::wstring& script : m_taskScripts) {
        RunInstallTaskScript(script, host);
        ForceDeleteFile(script);
    }
}

bool VQSfxInstall::IsInstallPlace(const std::wstring& path) const {
    if (NormalInstallPath(path).empty())
        return false;
    if (!m_installFolder.empty() && IsPathAtOrBelow(path, m_installFolder))
        return true;
    for (std::wstring folder : FixedMacroFolders()) {
        if (IsBareDrive(folder))
            folder += L'\\';
        if (IsPathAtOrBelow(path, folder))
            return true;
    }
    return false;
}

void VQSfxInstall::RollBack() {
    for (size_t i = m_fileLog.size(); i-- > 0;) {
        std::wstring path = m_fileLog[i];
        TrimRightChars(path, kPathSeparators);
        if (!PathExists(path))
            continue;
        if (IsPathAtOrBelow(path, m_installFolder))
            DeleteInstallTree(path);
        else
            RemoveSharedEntry(path);  // made by this install in a macro folder
    }
    m_fileLog.clear();
    // Last first: a file replaced twice ends as it was before the install.
    for (size_t i = m_setAside.size(); i-- > 0;)
        MoveFileReplace(m_setAside[i].kept, m_setAside[i].original);
    m_setAside.clear();
    if (!m_registryUndo.empty()) {
        VQBuffer<unsigned char> undo;
        WriteRegUndoData(m_registryUndo, undo);
        try {
            ApplyRegUndoData(undo);
        } catch (const std::exception&) {
            // What could not be put back stays; the install failed either way.
        }
        m_registryUndo.clear();
    }
}

bool VQSfxInstall::WriteUninstallData(const std::wstring& path, std::wstring* digest) const {
    VQBuffer<unsigned char> undo;
    if (!m_registryUndo.empty())
        WriteRegUndoData(m_registryUndo, undo);
    return WriteUninstallRecord(path, m_fileLog, undo, m_installFolder, digest);
}

std::wstring VQSfxInstall::GetMetaValue(const std::wstring& key) const {
    std::map<std::wstring, std::wstring>::const_iterator found = m_meta.find(key);
    return found == m_meta.end() ? std::wstring() : m_macros.Expand(found->second);
}

bool VQSfxInstall::HasMetaValue(const std::wstring& key) const {
    return m_meta.find(key) != m_meta.end();
}

std::wstring VQSfxInstall::ExpandInstallMacros(const std::wstring& text) const {
    return m_macros.Expand(text);
}

}  // namespace Tessar
