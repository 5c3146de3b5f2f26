// Layout and style XML into a control tree and the paint manager's window
// settings.
#include "ui/DialogBuilder.h"

#include <tinyxml.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/CodePage.h"
#include "ui/BuiltInMarkup.h"
#include "ui/Container.h"
#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

std::wstring Wide(const char* text) {
    if (text == nullptr) return std::wstring();
    // GBK keeps ASCII as it is; most names and values are ASCII and widen
    // without asking the system.
    size_t length = 0;
    bool ascii = true;
    for (; text[length]; ++length)
        if (static_cast<unsigned char>(text[length]) >= 0x80) ascii = false;
    if (ascii) return std::wstring(text, text + length);
    return CodePageToWide(kMarkupCodePage, text, length);
}

std::wstring AttributeText(const TiXmlElement* element, const char* name) {
    return Wide(element->Attribute(name));
}

bool AttributeIsTrue(const TiXmlElement* element, const char* name) {
    const char* value = element->Attribute(name);
    return value != nullptr && std::strcmp(value, "true") == 0;
}

bool IsNamed(const TiXmlElement* element, const char* name) {
    return std::strcmp(element->Value(), name) == 0;
}

// Elements of a window that are never controls.
bool IsWindowSetting(const TiXmlElement* element) {
    return IsNamed(element, "Image") || IsNamed(element, "Font") || IsNamed(element, "Default");
}

// Font heights beyond this are no font anyone can read; keeps the negation safe.
const int kMaxFontSize = 4096;

void AddFontElement(const TiXmlElement* element, VQPaintManager* manager) {
    const char* face = element->Attribute("name");
    if (face == nullptr) return;
    int size = 12;
    if (const char* sizeText = element->Attribute("size")) {
        long parsed = std::strtol(sizeText, nullptr, 10);
        if (parsed > kMaxFontSize) parsed = kMaxFontSize;
        if (parsed < -kMaxFontSize) parsed = -kMaxFontSize;
        size = static_cast<int>(parsed);
    }
    HFONT font = manager->AddFont(AttributeText(element, "font"), Wide(face), size, AttributeIsTrue(element, "bold"),
                                  AttributeIsTrue(element, "underline"), AttributeIsTrue(element, "italic"));
    if (font == nullptr) return;
    if (AttributeIsTrue(element, "default")) manager->SetDefaultFont(font);
    if (AttributeIsTrue(element, "defaultbold")) manager->SetDefaultBoldFont(font);
    if (AttributeIsTrue(element, "defaultlink")) manager->SetDefaultLinkFont(font);
}

void ApplyWindowSettings(const TiXmlElement* window, VQPaintManager* manager) {
    for (const TiXmlAttribute* attribute = window->FirstAttribute(); attribute; attribute = attribute->Next()) {
        const char* name = attribute->Name();
        std::wstring value = Wide(attribute->Value());
        if (std::strcmp(name, "size") == 0) {
            SIZE size = ParseMarkupSize(value);
            manager->SetInitSize(size.cx, size.cy);
        } else if (std::strcmp(name, "caption") == 0) {
            manager->SetCaptionRect(ParseMarkupRect(value));
        } else if (std::strcmp(name, "roundcorner") == 0) {
            SIZE size = ParseMarkupSize(value);
            manager->SetRoundCorner(size.cx, size.cy);
        } else if (std::strcmp(name, "sizebox") == 0) {
            int n[5];
            ParseMarkupNumbers(value, n, 5);
            RECT rc = {n[0], n[1], n[2], n[3]};
            manager->SetSizeBox(rc, n[4]);
        } else if (std::strcmp(name, "mininfo") == 0) {
            SIZE size = ParseMarkupSize(value);
            manager->SetMinInfo(size.cx, size.cy);
        } else if (std::strcmp(name, "maxinfo") == 0) {
            SIZE size = ParseMarkupSize(value);
            manager->SetMaxInfo(size.cx, size.cy);
        } else if (std::strcmp(name, "layeredwindow") == 0) {
            manager->SetLayered(ParseMarkupBool(value));
        }
    }
}

// The number after "id" in a style element's tag, by atoi's rules
// (saturating instead of overflowing).
int StyleElementId(const char* tag) {
    if (std::strlen(tag) < 2) return 0;
    long id = std::strtol(tag + 2, nullptr, 10);
    if (id > INT_MAX) return INT_MAX;
    if (id < INT_MIN) return INT_MIN;
    return static_cast<int>(id);
}

}  // namespace

VQDialogBuilder::VQDialogBuilder() {}

VQDialogBuilder::~VQDialogBuilder() {}

VQControl* VQDialogBuilder::Create(const std::wstring& markup, const std::wstring& windowName, int sourceKind,
                                   const std::wstring& resourceType, VQPaintManager* manager,
                                   IBuilderCallback* callback) {
    m_callback = callback;
    if (!Load(markup, sourceKind, resourceType, false)) return nullptr;
    TiXmlElement* window = SelectWindow(windowName);
    if (window == nullptr) return nullptr;
    return ApplyWindowAttributes(window, manager);
}

bool VQDialogBuilder::LoadMarkup(VQPaintManager* manager, const std::wstring& markup, const std::wstring& windowName,
                                 int sourceKind, const std::wstring& resourceType) {
    if (manager == nullptr) return false;
    if (!Load(markup, sourceKind, resourceType, true)) return false;
    TiXmlElement* window = SelectWindow(windowName);
    if (window == nullptr) return false;
    return ApplyStyle(window, manager);
}

TiXmlElement* VQDialogBuilder::SelectWindow(const std::wstring& windowName) {
    if (!m_document) return nullptr;
    TiXmlElement* first = m_document->FirstChildElement();
    if (first == nullptr || windowName.empty()) return first;
    if (!IsNamed(first, "Root")) return nullptr;
    for (TiXmlElement* window = first->FirstChildElement("Window"); window;
         window = window->NextSiblingElement("Window")) {
        const char* name = window->Attribute("name");
        if (name != nullptr && Wide(name) == windowName) return window;
    }
    return nullptr;
}

VQControl* VQDialogBuilder::ApplyWindowAttributes(TiXmlElement* element, VQPaintManager* manager) {
    if (element == nullptr || !IsNamed(element, "Window")) return nullptr;
    if (manager != nullptr) {
        for (TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
            if (IsNamed(child, "Font")) {
                AddFontElement(child, manager);
            } else if (IsNamed(child, "Default")) {
                manager->AddDefaultAttributeList(AttributeText(child, "name"), AttributeText(child, "value"));
            }
            // "Image" entries name images the skin loads on demand; nothing to do.
        }
        if (manager->GetPaintWindow() != nullptr) ApplyWindowSettings(element, manager);
    }
    return CreateControl(element, nullptr, manager);
}

bool VQDialogBuilder::ApplyStyle(TiXmlElement* element, VQPaintManager* manager) {
    if (element == nullptr || manager == nullptr || !IsNamed(element, "Window")) return false;
    for (TiXmlElement* child = element->FirstChildElement("Default"); child;
         child = child->NextSiblingElement("Default"))
        manager->AddDefaultAttributeList(AttributeText(child, "name"), AttributeText(child, "value"));
    for (TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (IsNamed(child, "Default")) continue;
        VQControl* control = manager->FindControlById(StyleElementId(child->Value()));
        if (control == nullptr) continue;
        ApplyElementAttributes(child, control);
    }
    return true;
}

void VQDialogBuilder::ApplyElementAttributes(const TiXmlElement* element, VQControl* control) const {
    // Class defaults are applied before this, outside the scope: a style
    // file may have stored them.
    VQBuiltInMarkupScope scope(m_builtIn ? control : nullptr);
    for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next())
        control->SetAttribute(Wide(attribute->Name()), Wide(attribute->Value()));
}

VQControl* VQDialogBuilder::CreateControl(TiXmlElement* element, VQControl* parent, VQPaintManager* manager) {
    if (element == nullptr) return nullptr;
    return BuildControl(element, parent, manager, 0);
}

VQControl* VQDialogBuilder::BuildControl(TiXmlElement* element, VQControl* parent, VQPaintManager* manager,
                                         int depth) {
    // Documents are depth-checked before parsing; this guards trees handed in directly.
    if (depth > kMaxDepth) return nullptr;
    VQControl* first = nullptr;
    VQContainer* container = nullptr;
    bool containerAsked = false;
    for (TiXmlElement* node = element->FirstChildElement(); node; node = node->NextSiblingElement()) {
        if (IsWindowSetting(node)) continue;
        std::wstring tag = Wide(node->Value());
        VQControl* control = CreateByTag(tag);
        if (control == nullptr) continue;
        if (node->FirstChildElement() != nullptr) BuildControl(node, control, manager, depth + 1);
        if (parent != nullptr) {
            if (!containerAsked) {
                container = static_cast<VQContainer*>(parent->GetInterface(ControlTypeContainer));
                containerAsked = true;
            }
            if (container == nullptr) {
                // Nothing can be built under a control that holds no children.
                delete control;
                return first;
            }
            if (!container->Add(control)) {
                delete control;
                continue;
            }
        } else if (first != nullptr) {
            // Only the first top-level control becomes the root; a second
            // one would belong to nobody.
            delete control;
            continue;
        }
        if (manager != nullptr) {
            control->SetManager(manager);
            std::wstring defaults = manager->GetDefaultAttributeList(tag);
            if (!defaults.empty()) control->ApplyAttributeList(defaults);
        }
        ApplyElementAttributes(node, control);
        if (first == nullptr) first = control;
    }
    return first;
}

}  // namespace Tessar
