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

const char* VQXmlFile::TerminatedRawText() const {
    if (m_raw.data == nullptr || m_raw.size == 0 || m_raw.data[m_raw.size - 1] != '\0')
        return nullptr;
    return m_raw.data;
}

bool VQXmlFile::ParseRawText() {
    VQXmlDocument* document = NewDocument();
    const char* text = TerminatedRawText();
    return text != nullptr && document->ParseText(text);
}

}  // namespace Tessar
