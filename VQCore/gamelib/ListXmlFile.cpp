#include "VQCore/gamelib/ListXmlFile.h"

#include "common/XmlDocument.h"
#include "common/XmlElement.h"

namespace Tessar {

VQListXmlFile::VQListXmlFile(const std::wstring& path, const wchar_t* topElement)
    : VQXmlFile(path), m_topElement(topElement) {}

bool VQListXmlFile::Load() {
    return LoadFile(m_path);
}

void VQListXmlFile::Close() {
    DeleteDocument();
    ClearRecords();
}

bool VQListXmlFile::LoadFile(const std::wstring& path) {
    ClearRecords();
    DeleteDocument();
    m_document = new VQXmlDocument(path);
    if (!m_document->IsLoaded())
        return false;
    const TiXmlElement* top = FindChildElement(m_document, m_topElement);
    if (top == nullptr)
        return true;
    ReadTop(top);
    return true;
}

bool VQListXmlFile::Save(const std::wstring& path) {
    VQXmlDocument document;
    document.SetPath(path);
    TiXmlElement* top = AddElement(&document, m_topElement);
    if (top == nullptr || !WriteTop(top))
        return false;
    return SaveXmlDocument(document, path);
}

}  // namespace Tessar
