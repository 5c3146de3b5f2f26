#include "VQCore/gamelib/InstalledXmlFile.h"

#include "VQCore/gamelib/RecordNumber.h"
#include "common/FormatText.h"
#include "common/NumberText.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

namespace Tessar {

namespace {

const wchar_t kTopElement[] = L"INSTALLED";
const wchar_t kCommonElement[] = L"COMMON";
const wchar_t kQuickElement[] = L"QUICK";
const wchar_t kNodeElement[] = L"NODE";
const wchar_t kIdElement[] = L"ID";
const wchar_t kNameElement[] = L"Name";
const wchar_t kFullPathElement[] = L"FullPath";
const wchar_t kRunArgElement[] = L"RunArg";
const wchar_t kWorkingDirElement[] = L"WorkingDir";
const wchar_t kSetupDirElement[] = L"SetupDir";
const wchar_t kSetupTimeElement[] = L"SetupTime";
const wchar_t kLastRunTimeElement[] = L"LastRunTime";
const wchar_t kRunCountElement[] = L"RunCount";
const wchar_t kRegisteredElement[] = L"Registered";

// False when a number of the record is malformed or out of range.
bool ReadRecord(const TiXmlElement* node, VQGameInstalledInfo& record) {
    for (const TiXmlElement* field = node->FirstChildElement(); field != nullptr;
         field = field->NextSiblingElement()) {
        std::wstring text;
        if (!GetElementText(field, text))
            continue;
        const std::wstring name = MakeWideString(field->Value());
        bool ok = true;
        if (name == kIdElement)
            ok = ReadRecordField(text, record.ID);
        else if (name == kRunCountElement)
            ok = ReadRecordField(text, record.RunCount);
        else if (name == kRegisteredElement)
            ok = ReadRecordField(text, record.Registered);
        else if (name == kSetupTimeElement)
            ok = ReadSignedRecordNumber(text, record.SetupTime);
        else if (name == kLastRunTimeElement)
            ok = ReadSignedRecordNumber(text, record.LastRunTime);
        else if (name == kNameElement)
            record.Name = text;
        else if (name == kFullPathElement)
            record.FullPath = text;
        else if (name == kRunArgElement)
            record.RunArg = text;
        else if (name == kWorkingDirElement)
            record.WorkingDir = text;
        else if (name == kSetupDirElement)
            record.SetupDir = text;
        if (!ok)
            return false;
    }
    return true;
}

void ReadList(const TiXmlElement* list, VQInstalledXmlFile::Records& records) {
    for (const TiXmlElement* node = list->FirstChildElement(); node != nullptr; node = node->NextSiblingElement()) {
        VQInstalledXmlFile::Record record(new VQGameInstalledInfo);
        if (ReadRecord(node, *record))
            records.push_back(record);
    }
}

void AddText(TiXmlElement* node, const wchar_t* name, const std::wstring& text) {
    if (!text.empty())
        AddElementText(AddElement(node, name), text);
}

void WriteRecord(TiXmlElement* node, const VQGameInstalledInfo& record) {
    AddElementText(AddElement(node, kIdElement), FormatString(L"%05u", record.ID));
    AddText(node, kNameElement, record.Name);
    AddText(node, kFullPathElement, record.FullPath);
    AddText(node, kRunArgElement, record.RunArg);
    AddText(node, kWorkingDirElement, record.WorkingDir);
    AddText(node, kSetupDirElement, record.SetupDir);
    AddElementText(AddElement(node, kSetupTimeElement), Int64ToString(record.SetupTime));
    AddElementText(AddElement(node, kLastRunTimeElement), Int64ToString(record.LastRunTime));
    AddElementText(AddElement(node, kRunCountElement), UIntToString(record.RunCount));
    if (record.Registered == 1)
        AddElementText(AddElement(node, kRegisteredElement), L"1");
}

void WriteList(TiXmlElement* list, const VQInstalledXmlFile::Records& records) {
    if (list == nullptr)
        return;
    for (const VQInstalledXmlFile::Record& record : records) {
        if (record)
            WriteRecord(AddElement(list, kNodeElement), *record);
    }
}

}  // namespace

VQInstalledXmlFile::VQInstalledXmlFile(const std::wstring& path) : VQXmlFile(path) {}

VQInstalledXmlFile::~VQInstalledXmlFile() {
    Close();
}

bool VQInstalledXmlFile::Load() {
    return LoadFile(m_path);
}

void VQInstalledXmlFile::Close() {
    DeleteDocument();
    m_common.clear();
    m_quick.clear();
}

bool VQInstalledXmlFile::LoadFile(const std::wstring& path) {
    m_common.clear();
    m_quick.clear();
    DeleteDocument();
    m_document = new VQXmlDocument(path);
    if (!m_document->IsLoaded())
        return false;
    const TiXmlElement* top = FindChildElement(m_document, kTopElement);
    if (top == nullptr)
        return true;
    for (const TiXmlElement* list = top->FirstChildElement(); list != nullptr; list = list->NextSiblingElement()) {
        const std::wstring name = MakeWideString(list->Value());
        if (name == kCommonElement)
            ReadList(list, m_common);
        else if (name == kQuickElement)
            ReadList(list, m_quick);
    }
    return true;
}

bool VQInstalledXmlFile::Save(const std::wstring& path) {
    VQXmlDocument document;
    document.SetPath(path);
    TiXmlElement* top = AddElement(&document, kTopElement);
    TiXmlElement* common = AddElement(top, kCommonElement);
    TiXmlElement* quick = AddElement(top, kQuickElement);
    if (top == nullptr || common == nullptr || quick == nullptr)
        return false;
    WriteList(common, m_common);
    WriteList(quick, m_quick);
    return SaveXmlDocument(document, path);
}

void VQInstalledXmlFile::SetRecords(const Records& common, const Records& quick) {
    m_common = common;
    m_quick = quick;
}

}  // namespace Tessar
