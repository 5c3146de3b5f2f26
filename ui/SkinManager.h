#pragma once
// The process-wide source of skin data: the module whose resources hold the
// layouts, images and strings, the folder of the selected skin, the list of
// installed skins, the selected-skin file, and two caches that turn image
// files and module resources into 32-bit DIB sections once.
// Runs on the UI thread; nothing is locked.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tessar {

// A decoded image: a top-down 32-bit DIB section holding premultiplied BGRA
// pixels (a "BMP" resource keeps its own format). has-alpha is true when any
// pixel is not fully opaque.
struct VQImageInfo {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
};

// One installed skin, found by its "MarloxWnd.xml".
struct VQSkinInfo {
    std::wstring name;
    std::wstring preview;
    std::wstring path;  // the skin's "MarloxWnd.xml"
    int index = -1;     // sort key; -1 until read
};

// Largest width or height accepted from an image file or resource, and the
// largest pixel count: skins are files on the user's disk, and a header
// claiming a huge picture must not make us allocate gigabytes.
const int kMaxSkinImageSide = 8192;
const uint64_t kMaxSkinImagePixels = 16ull * 1024 * 1024;

class VQSkinManager {
public:
    static VQSkinManager& Instance();

    VQSkinManager();
    ~VQSkinManager();
    VQSkinManager(const VQSkinManager&) = delete;
    VQSkinManager& operator=(const VQSkinManager&) = delete;

    // The module whose resources hold layouts, images and strings (the
    // program itself when never set).
    void SetResourceModule(HINSTANCE module) { m_resourceModule = module; }
    HINSTANCE GetResourceModule() const;
    // The selected skin's folder; a trailing backslash is added when missing.
    void SetResourceFolder(const std::wstring& folder);
    const std::wstring& GetResourceFolder() const { return m_resourceFolder; }

    // Scans the folder at any depth for "MarloxWnd.xml" files and lists
    // them by their "index", ascending.
    void RefreshSkinList(const std::wstring& folder);
    const std::vector<std::unique_ptr<VQSkinInfo>>& GetSkinList() const { return m_skins; }

    // The selected-skin file: "skin.xml" in the folder "skin" next to the
    // program unless another path is set (an empty path restores that).
    void SetSelectedSkinFile(const std::wstring& path) { m_selectedSkinFile = path; }
    std::wstring GetSelectedSkinFile() const;
    // Creates the file with an empty selection when it is missing.
    std::wstring GetSelectedSkin();
    bool SetSelectedSkin(const std::wstring& name);

    // Cached by the name as given (the first mask and cipher flag win);
    // null when the image cannot be loaded, and nothing is cached then.
    VQImageInfo* GetSkinImage(const std::wstring& fileName, uint32_t mask, bool encrypted);
    VQImageInfo* GetResourceImage(UINT id, const std::wstring& type, uint32_t mask);
    // Uncached loads; the caller owns the record and its bitmap
    // (FreeImage).
    VQImageInfo* LoadImageFile(const std::wstring& fileName, uint32_t mask, bool encrypted);
    VQImageInfo* LoadResourceImage(UINT id, const std::wstring& type, uint32_t mask);
    static void FreeImage(VQImageInfo* image);
    // Frees both caches (a skin change loads the new skin's images).
    void FreeImageCaches();

    // LoadStringW from the resource module; the id in decimal when its
    // string-table block does not exist, empty when the block exists.
    std::wstring LoadModuleString(UINT id);

    // Images decoded since the process started, so that tests and the
    // benchmark can show that each file is decoded once.
    uint64_t GetDecodeCount() const { return m_decodeCount; }

private:
    VQImageInfo* DecodeImage(const unsigned char* bytes, size_t size, uint32_t mask);

    std::vector<std::unique_ptr<VQSkinInfo>> m_skins;
    std::wstring m_resourceFolder;
    std::wstring m_selectedSkinFile;
    std::map<UINT, VQImageInfo*> m_resourceImages;
    std::map<std::wstring, VQImageInfo*> m_fileImages;
    HINSTANCE m_resourceModule = nullptr;
    uint64_t m_decodeCount = 0;
};

// Decodes PNG, JPEG, BMP, GIF or TGA bytes into a premultiplied 32-bit DIB
// section; pixels equal to the mask colour (0xAARRGGBB, after
// premultiplication) become fully transparent. Null for damaged data or
// dimensions past the bounds above.
VQImageInfo* DecodeSkinImage(const unsigned char* bytes, size_t size, uint32_t mask);
// A top-down 32-bit DIB section of the given size; bits receives the pixels.
HBITMAP CreateTopDownDib(int width, int height, void** bits);

}  // namespace Tessar
