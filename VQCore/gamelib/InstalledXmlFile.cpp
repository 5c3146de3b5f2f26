#include "VQCore/gamelib/InstalledXmlFile.h"

#include "VQCore/gamelib/ListFileFields.h"
#include "VQCore/gamelib/RecordNumber.h"
#include "common/FormatText.h"
#include "common/NumberText.h"
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
const wchar_t kUninstallDigestElement[] = L"UninstallDigest";
const wchar_t kCreatedDirElement[] = L"CreatedDir";

// Numbers as the C runtime's _wtoi and _wtoi64 read them (blanks, a sign,
// leading digits): a record is never lost for one odd field.
void ReadField(VQGameInstalledInfo& record, const std::wstring& name, const std::wstring& text) {
    if (name == kIdElement)
        record.ID = ReadCrtInt(text);
    else if (name == kRunCountElement)
        record.RunCount = ReadCrtInt(text);
    else if (name == kRegisteredElement)
        record.Registered = ReadCrtInt(text);
    else if (name == kSetupTimeElement)
        record.SetupTime = LeadingSignedNumber(text);
    else if (name == kLastRunTimeElement)
        record.LastRunTime = LeadingSignedNumber(text);
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
    else if (name == kUninstallDigestElement)
        record.UninstallDigest = text;
    else if (name == kCreatedDirElement)
        record.CreatedDir = text;
}

void WriteFields(TiXmlElement* node, const VQGameInstalledInfo& record) {
    AddListField(node, kIdElement, FormatString(L"%05u", record.ID));
    AddListField(node, kNameElement, record.Name);
    AddListField(node, kFullPathElement, record.FullPath);
    AddListField(node, kRunArgElement, record.RunArg);
    AddListField(node, kWorkingDirElement, record.WorkingDir);
    AddListField(node, kSetupDirElement, record.SetupDir);
    AddListField(node, kSetupTimeElement, Int64ToString(record.SetupTime));
    AddListField(node, kLastRunTimeElement, Int64ToString(record.LastRunTime));
    AddListField(node, kRunCountElement, UIntToString(record.RunCount));
    if (record.Registered == 1)
        AddListField(node, kRegisteredElement, L"1");
    AddListField(node, kUninstallDigestElement, record.UninstallDigest);
    AddListField(node, kCreatedDirElement, record.CreatedDir);
}

}  // namespace

VQInstalledXmlFile::VQInstalledXmlFile(const std::wstring& path) : VQListXmlFile(path, kTopElement) {}

void VQInstalledXmlFile::ClearRecords() {
    m_common.clear();
    m_quick.clear();
}

void VQInstalledXmlFile::ReadTop(const TiXmlElement* top) {
    for (const TiXmlElement* list = top->FirstChildElement(); list != nullptr; list = list->NextSiblingElement()) {
        const std::wstring name = MakeWideString(list->Value());
        if (name == kCommonElement)
            ReadListRecords(list, m_common, ReadField);
        else if (name == kQuickElement)
            ReadListRecords(list, m_quick, ReadField);
    }
}

bool VQInstalledXmlFile::WriteTop(TiXmlElement* top) const {
    TiXmlElement* common = AddElement(top, kCommonElement);
    TiXmlElement* quick = AddElement(top, kQuickElement);
    if (common == nullptr || quick == nullptr)
        return false;
    WriteListRecords(common, kNodeElement, m_common, WriteFields);
    WriteListRecords(quick, kNodeElement, m_quick, WriteFields);
    return true;
}

void VQInstalledXmlFile::SetRecords(const Records& common, const Records& quick) {
    m_common = common;
    m_quick = quick;
}

}  // namespace Tessar
