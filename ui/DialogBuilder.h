#pragma once
// Builds a window's control tree from its layout XML and applies the
// window-level settings of the layout to the window's paint manager; applies
// style XML (class defaults and attribute sets addressed by control id) to a
// tree that already exists. Skins are files on the user's disk: damaged or
// hostile markup builds nothing (a null or false result), never crashes, and
// markup read from a file never chooses which code runs (BuiltInMarkup.h).

#include <windows.h>

#include <memory>
#include <string>

class TiXmlDocument;
class TiXmlElement;

namespace Tessar {

class VQControl;
class VQPaintManager;

// Where the markup comes from.
enum VQMarkupSource {
    MarkupFromMemory = 1,    // wide text, converted to the markup code page
    MarkupFromFile = 2,      // a file path
    MarkupFromResource = 3,  // a module resource of the skin manager's resource module
};

// The application's own tags: answers a new control for a tag, or null.
class IBuilderCallback {
public:
    virtual ~IBuilderCallback() {}
    virtual VQControl* CreateControl(const wchar_t* tag) = 0;
};

class VQDialogBuilder {
public:
    VQDialogBuilder();
    ~VQDialogBuilder();
    VQDialogBuilder(const VQDialogBuilder&) = delete;
    VQDialogBuilder& operator=(const VQDialogBuilder&) = delete;

    // Builds the window named `windowName` (or the document's only window
    // when the name is empty) and returns its root control, owned by the
    // caller until AttachRootControl; null when nothing could be loaded,
    // selected or built. For a resource, `markup` is the resource name (or
    // "#123" / a decimal id) and `resourceType` its type.
    VQControl* Create(const std::wstring& markup, const std::wstring& windowName, int sourceKind,
                      const std::wstring& resourceType, VQPaintManager* manager,
                      IBuilderCallback* callback = nullptr);

    // Applies a style description to the manager's tree. A file name that
    // does not exist as given is looked up in the skin's resource folder.
    bool LoadMarkup(VQPaintManager* manager, const std::wstring& markup, const std::wstring& windowName,
                    int sourceKind, const std::wstring& resourceType = L"XML");

    // "Image", "Font" and "Default" children, the window attributes (only
    // when the manager has a host window), then the tree; the root or null.
    VQControl* ApplyWindowAttributes(TiXmlElement* element, VQPaintManager* manager);
    bool ApplyStyle(TiXmlElement* element, VQPaintManager* manager);
    // Builds the child elements of `element` under `parent`; the first
    // control made at this level, or null.
    VQControl* CreateControl(TiXmlElement* element, VQControl* parent, VQPaintManager* manager);

    // Deepest element nesting a description may have; deeper ones are
    // refused before parsing (the XML parser recurses per level).
    static const int kMaxDepth = 200;

private:
    bool Load(const std::wstring& markup, int sourceKind, const std::wstring& resourceType, bool lookInSkinFolder);
    bool ParseNarrow(const char* text, size_t length);
    TiXmlElement* SelectWindow(const std::wstring& windowName);
    VQControl* BuildControl(TiXmlElement* element, VQControl* parent, VQPaintManager* manager, int depth);
    VQControl* CreateByTag(const std::wstring& tag);

    // Applies the element's own attributes; only built-in markup may set
    // the attributes that choose code.
    void ApplyElementAttributes(const TiXmlElement* element, VQControl* control) const;

    std::unique_ptr<TiXmlDocument> m_document;
    IBuilderCallback* m_callback = nullptr;
    // The loaded markup is the program's own (a resource or its own text),
    // not a file.
    bool m_builtIn = false;
};

// Code page of layout and style text (the skins are written in GBK).
const UINT kMarkupCodePage = 936;

}  // namespace Tessar
