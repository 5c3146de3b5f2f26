// Skin list, selected-skin file, image caches and module strings.
#include "ui/SkinManager.h"

#include "common/CodePage.h"
#include "common/FileCipher.h"
#include "common/FileFinder.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"
#include "ui/RenderEngine.h"

#include <algorithm>

namespace Tessar {
namespace {

const wchar_t kSkinLayoutFile[] = L"MarloxWnd.xml";
const char kSkinRootElement[] = "Root";
const char kSelectionElement[] = "SkinSetting";
const char kSelectionName[] = "name";
// Skin folders nested deeper than this are not searched (a link loop or
// a hostile tree must not exhaust the stack).
const int kMaxSkinFolderDepth = 24;
// Largest skin layout whose name and index are read, and the largest
// selected-skin file read: both are small texts.
const uint64_t kMaxSkinLayoutBytes = 32ull * 1024 * 1024;
const uint64_t kMaxSelectionBytes = 64 * 1024;
// Largest image file read: the biggest picture allowed, uncompressed, plus
// room for a generous header.
const uint64_t kMaxImageFileBytes = kMaxSkinImagePixels * 4 + 1024 * 1024;

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) return 0;
    return (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
}

void ReadSkinInfo(VQSkinInfo& info) {
    // A layout larger than any real one is not read (it keeps its entry).
    if (FileSize(info.path) > kMaxSkinLayoutBytes) return;
    VQXmlDocument document(info.path);
    if (!document.IsLoaded()) return;
    const TiXmlElement* root = document.RootElement();
    if (root == nullptr || root->ValueStr() != kSkinRootElement) return;
    info.name = MakeWideString(root->Attribute("name"));
    info.preview = MakeWideString(root->Attribute("preview"));
    const char* index = root->Attribute("index");
    if (index != nullptr) info.index = atoi(index);
}

// The whole name, letter case aside: "MarloxWnd.xml.bak" or "Marlo" is no skin.
bool IsSkinLayoutName(const std::wstring& name) {
    const std::wstring layout = kSkinLayoutFile;
    return name.size() == layout.size() && CompareNoCase(name, layout, layout.size()) == 0;
}

void FindSkins(const std::wstring& folder, int depth, std::vector<std::unique_ptr<VQSkinInfo>>& skins) {
    if (depth > kMaxSkinFolderDepth) return;
    FindFileIterator finder;
    FindFileEntry entry;
    std::vector<std::wstring> subfolders;
    for (bool more = finder.First(CombinePath(folder, L"*"), entry); more; more = finder.Next(entry)) {
        if (entry.IsFolder()) {
            if (!entry.IsDots() && !entry.IsReparsePoint()) subfolders.push_back(CombinePath(folder, entry.name));
        } else if (IsSkinLayoutName(entry.name)) {
            std::unique_ptr<VQSkinInfo> info(new VQSkinInfo);
            info->path = CombinePath(folder, entry.name);
            skins.push_back(std::move(info));
        }
    }
    finder.Close();
    for (const std::wstring& subfolder : subfolders) FindSkins(subfolder, depth + 1, skins);
}

bool WriteSelectionFile(const std::wstring& path, const std::string& name) {
    TiXmlDocument fresh;
    fresh.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    TiXmlElement* element = new TiXmlElement(kSelectionElement);
    element->SetAttribute(kSelectionName, name.c_str());
    fresh.LinkEndChild(element);
    return SaveXmlDocument(fresh, path);
}

// Creates the selected-skin file with an empty selection when it is missing.
bool EnsureSelectionFile(const std::wstring& path) {
    if (FileExists(path)) return true;
    std::wstring folder = GetFullPathFolder(path);
    if (!folder.empty()) CreateFolderChain(folder);
    return WriteSelectionFile(path, std::string());
}

// The file read only when it is of a sensible size; an oversized one reads
// as damaged.
bool LoadSelection(const std::wstring& path, VQXmlDocument& document) {
    if (FileSize(path) > kMaxSelectionBytes) return false;
    VQBuffer<unsigned char> bytes;
    if (!ReadFileToBuffer(path, bytes) || bytes.size == 0) return false;
    std::string text(reinterpret_cast<const char*>(bytes.data), bytes.size);
    document.SetPath(path);
    return document.ParseText(text.c_str());
}

TiXmlElement* SelectionElement(VQXmlDocument& document) {
    if (!document.IsLoaded()) return nullptr;
    TiXmlElement* root = document.RootElement();
    if (root == nullptr || root->ValueStr() != kSelectionElement) return nullptr;
    return root;
}

// The file's bytes, deciphered when it is stored in the file cipher.
bool ReadImageBytes(const std::wstring& path, bool encrypted, VQBuffer<unsigned char>& bytes) {
    const uint64_t size = FileSize(path);
    if (size == 0 || size > kMaxImageFileBytes) return false;
    if (!ReadFileToBuffer(path, bytes) || bytes.size == 0) return false;
    if (!encrypted) return true;
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    bool done = CipherBuffer(bytes.size, key, bytes.data, bytes.data, false);
    SecureZeroMemory(key, sizeof(key));
    return done;
}

}  // namespace

VQSkinManager& VQSkinManager::Instance() {
    static VQSkinManager manager;
    return manager;
}

VQSkinManager::VQSkinManager() {}

VQSkinManager::~VQSkinManager() {
    FreeImageCaches();
}

HINSTANCE VQSkinManager::GetResourceModule() const {
    return m_resourceModule != nullptr ? m_resourceModule : ::GetModuleHandleW(nullptr);
}

void VQSkinManager::SetResourceFolder(const std::wstring& folder) {
    m_resourceFolder = folder;
    if (!m_resourceFolder.empty() && m_resourceFolder.back() != L'\\' && m_resourceFolder.back() != L'/')
        m_resourceFolder += L'\\';
}

void VQSkinManager::RefreshSkinList(const std::wstring& folder) {
    m_skins.clear();
    if (folder.empty()) return;
    FindSkins(folder, 0, m_skins);
    for (auto& skin : m_skins) ReadSkinInfo(*skin);
    std::stable_sort(m_skins.begin(), m_skins.end(),
                     [](const std::unique_ptr<VQSkinInfo>& a, const std::unique_ptr<VQSkinInfo>& b) {
                         return a->index < b->index;
                     });
}

std::wstring VQSkinManager::GetSelectedSkinFile() const {
    if (!m_selectedSkinFile.empty()) return m_selectedSkinFile;
    return GetFullPathFolder(GetOwnModulePath()) + L"skin\\skin.xml";
}

std::wstring VQSkinManager::GetSelectedSkin() {
    const std::wstring path = GetSelectedSkinFile();
    if (!EnsureSelectionFile(path)) return std::wstring();
    VQXmlDocument document;
    LoadSelection(path, document);
    const TiXmlElement* element = SelectionElement(document);
    return element != nullptr ? MakeWideString(element->Attribute(kSelectionName)) : std::wstring();
}

bool VQSkinManager::SetSelectedSkin(const std::wstring& name) {
    const std::wstring path = GetSelectedSkinFile();
    if (!EnsureSelectionFile(path)) return false;
    VQXmlDocument document;
    LoadSelection(path, document);
    TiXmlElement* element = SelectionElement(document);
    if (element != nullptr) {
        element->SetAttribute(kSelectionName, WideToNarrow(name).c_str());
        return SaveXmlDocument(document, path);
    }
    // The file holds nothing but the selection: a damaged one is replaced.
    return WriteSelectionFile(path, WideToNarrow(name));
}

VQImageInfo* VQSkinManager::GetSkinImage(const std::wstring& fileName, uint32_t mask, bool encrypted) {
    auto found = m_fileImages.find(fileName);
    if (found != m_fileImages.end()) return found->second;
    VQImageInfo* image = LoadImageFile(fileName, mask, encrypted);
    if (image != nullptr) m_fileImages[fileName] = image;
    return image;
}

VQImageInfo* VQSkinManager::GetResourceImage(UINT id, const std::wstring& type, uint32_t mask) {
    auto found = m_resourceImages.find(id);
    if (found != m_resourceImages.end()) return found->second;
    VQImageInfo* image = LoadResourceImage(id, type, mask);
    if (image != nullptr) m_resourceImages[id] = image;
    return image;
}

VQImageInfo* VQSkinManager::LoadImageFile(const std::wstring& fileName, uint32_t mask, bool encrypted) {
    if (fileName.empty()) return nullptr;
    std::wstring path = fileName;
    if (!FileExists(path)) path = m_resourceFolder + fileName;
    VQBuffer<unsigned char> bytes;
    if (!ReadImageBytes(path, encrypted, bytes)) return nullptr;
    return DecodeImage(bytes.data, bytes.size, mask);
}

VQImageInfo* VQSkinManager::LoadResourceImage(UINT id, const std::wstring& type, uint32_t mask) {
    HINSTANCE module = GetResourceModule();
    if (type == L"BMP") {
        HBITMAP bitmap = ::LoadBitmapW(module, MAKEINTRESOURCEW(id));
        if (bitmap == nullptr) return nullptr;
        BITMAP info = {};
        if (::GetObjectW(bitmap, sizeof(info), &info) == 0) {
            ::DeleteObject(bitmap);
            return nullptr;
        }
        VQImageInfo* image = new VQImageInfo;
        image->bitmap = bitmap;
        image->width = info.bmWidth;
        image->height = info.bmHeight;
        image->hasAlpha = false;
        return image;
    }
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), type.c_str());
    if (resource == nullptr) return nullptr;
    DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0) return nullptr;
    // Copied out: the decoder may read the whole block while the module's
    // image stays mapped read-only.
    VQBuffer<unsigned char> bytes(size);
    memcpy(bytes.data, data, size);
    return DecodeImage(bytes.data, bytes.size, mask);
}

VQImageInfo* VQSkinManager::DecodeImage(const unsigned char* bytes, size_t size, uint32_t mask) {
    ++m_decodeCount;
    return DecodeSkinImage(bytes, size, mask);
}

void VQSkinManager::FreeImage(VQImageInfo* image) {
    if (image == nullptr) return;
    if (image->bitmap != nullptr) {
        VQRenderEngine::ReleaseImageSource(image->bitmap);
        ::DeleteObject(image->bitmap);
    }
    delete image;
}

void VQSkinManager::FreeImageCaches() {
    for (auto& entry : m_fileImages) FreeImage(entry.second);
    for (auto& entry : m_resourceImages) FreeImage(entry.second);
    m_fileImages.clear();
    m_resourceImages.clear();
}

std::wstring VQSkinManager::LoadModuleString(UINT id) {
    HINSTANCE module = GetResourceModule();
    wchar_t buffer[512] = {};
    int length = ::LoadStringW(module, id, buffer, 512);
    if (length > 0) return std::wstring(buffer, length);
    if (::FindResourceW(module, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING) == nullptr)
        return UIntToString(id);
    return std::wstring();
}

}  // namespace Tessar
