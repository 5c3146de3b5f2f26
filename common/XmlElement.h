#pragma once
// Element and text helpers over TinyXML that take and give wide text. Names
// and values are converted to and from the system ANSI code page here
// (characters it cannot represent become "_"). None of them throws; null
// nodes give null or false.

#include <tinyxml.h>

#include <string>

namespace Tessar {

class VQXmlDocument;

// Narrow text in the ANSI code page to wide; null gives an empty text.
std::wstring MakeWideString(const char* text);
// The first child element of the node with that name.
TiXmlElement* FindChildElement(const TiXmlNode* node, const std::wstring& name);
// The first element inside the named child of the node.
TiXmlElement* FindFirstElementOfChild(const TiXmlNode* node, const std::wstring& name);
// The element's first child when that is a text node; otherwise an empty
// text and false.
bool GetElementText(const TiXmlElement* element, std::wstring& text);
// A new element appended as the last child of the node.
TiXmlElement* AddElement(TiXmlNode* node, const std::wstring& name);
// The same, below the parent element, or at the document's top level when
// the parent is null.
TiXmlElement* AddChildElement(VQXmlDocument* document, TiXmlElement* parent, const std::wstring& name);
// Appends a text node to the element.
void AddElementText(TiXmlElement* element, const std::wstring& value);

}  // namespace Tessar
