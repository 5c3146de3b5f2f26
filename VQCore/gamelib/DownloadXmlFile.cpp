#include "VQCore/gamelib/DownloadXmlFile.h"

#include "VQCore/gamelib/RecordNumber.h"
#include "common/NumberText.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <cstdint>

namespace Tessar {

namespace {

const wchar_t kTopElement[] = L"DOWNLOAD";
const wchar_t kNodeElement[] = L"NODE";
const wchar_t kIdElement[] = L"ID";
const wchar_t kUrlElement[] = L"URL";
const wchar_t kLogPathElement[] = L"LogPath";
const wchar_t kSetupPathElement[] = L"SetupPath";
const wchar_t kStateElement[] = L"State";
const wchar_t kTypeElement[] = L"Type";
const wchar_t kTotalElement[] = L"Total";
const wchar_t kCompletedElement[] = L"Completed";

bool ReadSize(const std::wstring& text, int64_t& field) {
    uint64_t value = 0;
    if (!ReadRecordNumber(text, INT64_MAX, value))
        return false;
    field = static_cast<int64_t>(value);
    return true;
}

// False when a number of the record is malformed or out of range.
bool ReadRecord(const TiXmlElement* node, VQGameDownloadInfo& record) {
    for (const TiXmlElement* field = node->FirstChildElement(); field != nullptr;
         field = field->NextSiblingElement()) {
        std::wstring text;
        if (!GetElementText(field, text))
            continue;
        const std::wstring name = MakeWideString(field->Value());
        bool ok = true;
        if (name == kIdElement)
            ok = ReadRecordField(text, record.ID);
        else if (name == kStateElement)
            ok = ReadRecordField(text, record.State);
        else if (name == kTypeElement)
            ok = ReadRecordField(text, record.Type);
        else if (name == kTotalElement)
            ok = ReadSize(text, record.Total);
        else if (name == kCompletedElement)
            ok = ReadSize(text, record.Completed);
        else if (name == kUrlElement)
            record.URL = text;
        else if (name == kLogPathElement)
            record.LogPath = text;
        else if (name == kSetupPathElement)
            record.SetupPath = text;
        if (!ok)
            return false;
    }
    return true;
}

void AddText(TiXmlElement* node, const wchar_t* name, const std::wstring& text) {
    if (!text.empty())
        AddElementText(AddElement(node, name), text);
}

void WriteRecord(TiXmlElement* node, const VQGameDownloadInfo& record) {
    AddElementText(AddElement(node, kIdElement), UIntToString(record.ID));
    AddText(node, kUrlElement, record.URL);
    AddText(node, kLogPathElement, record.LogPath);
    AddText(node, kSetupPathElement, record.SetupPath);
    AddElementText(AddElement(node, kStateElement), UIntToString(record.State));
    AddElementText(AddElement(node, kTypeElement), UIntToString(record.Type));
    if (record.Total > 0)
        AddElementText(AddElement(node, kTotalElement), Int64ToString(record.Total));
    if (record.Completed > 0)
        AddElementText(AddElement(node, kCompletedElement), Int64ToString(record.Completed));
}

}  // namespace

VQDownloadXmlFile::VQDownloadXmlFile(const std::wstring& path) : VQXmlFile(path) {}

VQDownloadXmlFile::~VQDownloadXmlFile() {
    Close();
}

bool VQDownloadXmlFile::Load() {
    return LoadFile(m_path);
}

void VQDownloadXmlFile::Close() {
    DeleteDocument();
    m_records.clear();
}

bool VQDownloadXmlFile::LoadFile(const std::wstring& path) {
    m_records.clear();
    DeleteDocument();
    m_document = new VQXmlDocument(path);
    if (!m_document->IsLoaded())
        return false;
    const TiXmlElement* top = FindChildElement(m_document, kTopElement);
    if (top == nullptr)
        return true;
    for (const TiXmlElement* node = top->FirstChildElement(); node != nullptr; node = node->NextSiblingElement()) {
        Record record(new VQGameDownloadInfo);
        if (ReadRecord(node, *record))
            m_records.push_back(record);
    }
    return true;
}

bool VQDownloadXmlFile::Save(const std::wstring& path) {
    VQXmlDocument document;
    document.SetPath(path);
    TiXmlElement* top = AddElement(&document, kTopElement);
    if (top == nullptr)
        return false;
    for (const Record& record : m_records) {
        if (record)
            WriteRecord(AddElement(top, kNodeElement), *record);
    }
    return SaveXmlDocument(document, path);
}

}  // namespace Tessar
