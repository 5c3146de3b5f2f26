#pragma once
// The records of the two list files (download.vqx, install.vqx): records
// are the child elements of a list element, fields the records' child
// elements with text. The files themselves: ListXmlFile.h.

#include "common/XmlElement.h"

#include <boost/shared_ptr.hpp>

#include <tinyxml.h>

#include <string>
#include <vector>

namespace Tessar {

// Each child element of the list becomes a record (whatever its tag);
// readField(record, name, text) is called for its fields that hold text.
// No field can cost its record: a dropped record would be gone for good at
// the next save.
template <typename Record, typename ReadField>
void ReadListRecords(const TiXmlElement* list, std::vector<boost::shared_ptr<Record>>& records, ReadField readField) {
    for (const TiXmlElement* node = list->FirstChildElement(); node != nullptr; node = node->NextSiblingElement()) {
        boost::shared_ptr<Record> record(new Record);
        for (const TiXmlElement* field = node->FirstChildElement(); field != nullptr;
             field = field->NextSiblingElement()) {
            std::wstring text;
            if (GetElementText(field, text))
                readField(*record, MakeWideString(field->Value()), text);
        }
        records.push_back(record);
    }
}

// One element named node per record, written by writeFields(element, record).
template <typename Record, typename WriteFields>
void WriteListRecords(TiXmlElement* list, const wchar_t* node, const std::vector<boost::shared_ptr<Record>>& records,
                      WriteFields writeFields) {
    if (list == nullptr)
        return;
    for (const boost::shared_ptr<Record>& record : records) {
        TiXmlElement* element = record ? AddElement(list, node) : nullptr;
        if (element != nullptr)
            writeFields(element, *record);
    }
}

// A field element holding the text; left out when the text is empty
// unless always is set.
inline void AddListField(TiXmlElement* record, const wchar_t* name, const std::wstring& text, bool always = false) {
    if (always || !text.empty())
        AddElementText(AddElement(record, name), text);
}

}  // namespace Tessar
