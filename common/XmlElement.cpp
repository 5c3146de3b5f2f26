#include "common/XmlElement.h"

#include "common/CodePage.h"
#include "common/XmlDocument.h"

namespace Tessar {

std::wstring MakeWideString(const char* text) {
    return NarrowToWide(text);
}

TiXmlElement* FindChildElement(const TiXmlNode* node, const std::wstring& name) {
    if (node == nullptr)
        return nullptr;
    // TinyXML's const lookup gives const nodes of a tree the caller owns.
    return const_cast<TiXmlElement*>(node->FirstChildElement(WideToNarrow(name)));
}

TiXmlElement* FindFirstElementOfChild(const TiXmlNode* node, const std::wstring& name) {
    TiXmlElement* child = FindChildElement(node, name);
    return child != nullptr ? child->FirstChildElement() : nullptr;
}

bool GetElementText(const TiXmlElement* element, std::wstring& text) {
    text.clear();
    if (element == nullptr)
        return false;
    const TiXmlNode* first = element->FirstChild();
    if (first == nullptr || first->ToText() == nullptr)
        return false;
    text = NarrowToWide(first->Value());
    return true;
}

TiXmlElement* AddElement(TiXmlNode* node, const std::wstring& name) {
    if (node == nullptr)
        return nullptr;
    // LinkEndChild takes the new node over (and frees it when refused).
    TiXmlNode* added = node->LinkEndChild(new TiXmlElement(WideToNarrow(name)));
    return added != nullptr ? added->ToElement() : nullptr;
}

TiXmlElement* AddChildElement(VQXmlDocument* document, TiXmlElement* parent, const std::wstring& name) {
    if (parent != nullptr)
        return AddElement(parent, name);
    return AddElement(document, name);
}

void AddElementText(TiXmlElement* element, const std::wstring& value) {
    if (element == nullptr)
        return;
    element->LinkEndChild(new TiXmlText(WideToNarrow(value)));
}

}  // namespace Tessar
