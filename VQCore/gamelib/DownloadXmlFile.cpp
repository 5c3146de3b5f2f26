#include "VQCore/gamelib/DownloadXmlFile.h"

#include "VQCore/gamelib/ListFileFields.h"
#include "VQCore/gamelib/RecordNumber.h"
#include "common/NumberText.h"
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

// Numbers from their leading digits ("00042abc" is 42, "x" is 0): a record
// is never lost for one odd field.
void ReadField(VQGameDownloadInfo& record, const std::wstring& name, const std::wstring& text) {
    if (name == kIdElement)
        record.ID = ReadLowBits<uint32_t>(text);
    else if (name == kStateElement)
        record.State = ReadLowBits<uint32_t>(text);
    else if (name == kTypeElement)
        record.Type = ReadLowBits<uint32_t>(text);
    else if (name == kTotalElement)
        record.Total = ReadByteCount(text);
    else if (name == kCompletedElement)
        record.Completed = ReadByteCount(text);
    else if (name == kUrlElement)
        record.URL = text;
    else if (name == kLogPathElement)
        record.LogPath = text;
    else if (name == kSetupPathElement)
        record.SetupPath = text;
}

void WriteFields(TiXmlElement* node, const VQGameDownloadInfo& record) {
    AddListField(node, kIdElement, UIntToString(record.ID));
    AddListField(node, kUrlElement, record.URL);
    AddListField(node, kLogPathElement, record.LogPath);
    AddListField(node, kSetupPathElement, record.SetupPath);
    AddListField(node, kStateElement, UIntToString(record.State));
    AddListField(node, kTypeElement, UIntToString(record.Type));
    if (record.Total > 0)
        AddListField(node, kTotalElement, Int64ToString(record.Total));
    if (record.Completed > 0)
        AddListField(node, kCompletedElement, Int64ToString(record.Completed));
}

}  // namespace

VQDownloadXmlFile::VQDownloadXmlFile(const std::wstring& path) : VQListXmlFile(path, kTopElement) {}

void VQDownloadXmlFile::ReadTop(const TiXmlElement* top) {
    ReadListRecords(top, m_records, ReadField);
}

bool VQDownloadXmlFile::WriteTop(TiXmlElement* top) const {
    WriteListRecords(top, kNodeElement, m_records, WriteFields);
    return true;
}

}  // namespace Tessar
