#include "common/XmlFile.h"

#include "common/XmlDocument.h"

namespace Tessar {

VQXmlFile::VQXmlFile(const std::wstring& path) : m_path(path), m_document(nullptr) {}

VQXmlFile::~VQXmlFile() {
    DeleteDocument();
}

VQXmlDocument* VQXmlFile::NewDocument() {
    DeleteDocument();
    m_document = new VQXmlDocument();
    m_document->SetPath(m_path);
    return m_document;
}

void VQXmlFile::DeleteDocument() {
    delete m_document;
    m_document = nullptr;
}

bool VQXmlFile::ParseRawText() {
    VQXmlDocument* document = NewDocument();
    if (m_raw.data == nullptr || m_raw.size == 0)
        return false;
    // The raw text always ends in a zero byte, so the parse stays inside it.
    if (m_raw.data[m_raw.size - 1] != '\0')
        return false;
    return document->ParseText(m_raw.data);
}

}  // namespace Tessar
