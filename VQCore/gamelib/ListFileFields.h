#pragma once
// What the two list files (download.vqx, install.vqx) share: records are
// the child elements of a list element, fields the records' child elements
// with text.

#include "common/XmlElement.h"

#include <boost/shared_ptr.hpp>

#include <tinyxml.h>

#include <string>
#include <vector>

namespace Tessar {

// Each child element of the list becomes a record (whatever its tag) when
// readField(record, name, text), called for its fields that hold text,
// accepts every one; a record with a refused field is dropped.
template <typename Record, typename ReadField>
void ReadListRecords(const TiXmlElement* list, std::vector<boost::shared_ptr<Record>>& records, ReadField readField) {
    for (const TiXmlElement* node = list->FirstChildElement(); node != nullptr; node = node->NextSiblingElement()) {
        boost::shared_ptr<Record> record(new Record);
        bool accepted = true;
        for (const TiXmlElement* field = node->FirstChildElement(); field != nullptr && accepted;
             field = field->NextSiblingElement()) {
            std::wstring text;
            if (GetElementText(field, text))
                accepted = readField(*record, MakeWideString(field->Value()), text);
        }
        if (accepted)
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
