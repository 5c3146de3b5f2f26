#include "VQCore/gamelib/CatalogueText.h"

#include "VQCore/gamelib/GameRecordFields.h"
#include "common/PlainXmlReader.h"

#include <tinyxml.h>

#include <string>

namespace Tessar {

namespace {

const char kMd5Element[] = "MD5";
const char kVersionElement[] = "VERSION";
const char kDatabaseElement[] = "DATABASE";

// Reads the rest of an element whose start tag was read, up to its end
// tag: text between its children is skipped (no entry or field is text),
// and each child's start is left to readChild.
template <typename ReadChild>
bool ReadChildren(VQPlainXmlReader& reader, const std::string& element, ReadChild readChild) {
    std::string text;
    for (;;) {
        switch (reader.Next()) {
        case VQPlainXmlReader::kEnd:
            return reader.ReadEndTag(element);
        case VQPlainXmlReader::kText:
            if (!reader.ReadText(text))
                return false;
            break;
        case VQPlainXmlReader::kChild:
            if (!readChild())
                return false;
            break;
        case VQPlainXmlReader::kDecline:
            return false;
        }
    }
}

bool ReadEntries(VQPlainXmlReader& reader, ICatalogueTextSink& sink) {
    static const std::string database(kDatabaseElement);
    std::string entry, field, text;
    return ReadChildren(reader, database, [&] {
        bool empty = false;
        if (!reader.ReadStartTag(entry, empty))
            return false;
        sink.OnEntryStart();
        const bool read = empty || ReadChildren(reader, entry, [&] {
            bool emptyField = false;
            bool hasText = false;
            if (!reader.ReadStartTag(field, emptyField))
                return false;
            if (!emptyField && !reader.ReadBody(field, text, hasText))
                return false;
            if (hasText)
                sink.OnField(field.c_str(), text.c_str());
            return true;
        });
        if (!read)
            return false;
        sink.OnEntryEnd();
        return true;
    });
}

}  // namespace

void ReadCatalogueTree(const TiXmlDocument& document, ICatalogueTextSink& sink) {
    for (const char* head : {kMd5Element, kVersionElement}) {
        const char* text = GameElementText(document.FirstChildElement(head));
        if (text != nullptr)
            sink.OnHeadText(head, text);
    }
    const TiXmlElement* top = document.FirstChildElement(kDatabaseElement);
    if (top == nullptr)
        return;
    for (const TiXmlElement* entry = top->FirstChildElement(); entry != nullptr;
         entry = entry->NextSiblingElement()) {
        sink.OnEntryStart();
        for (const TiXmlElement* field = entry->FirstChildElement(); field != nullptr;
             field = field->NextSiblingElement()) {
            const char* text = GameElementText(field);
            if (text != nullptr)
                sink.OnField(field->Value(), text);
        }
        sink.OnEntryEnd();
    }
}

bool ReadPlainCatalogue(const char* text, ICatalogueTextSink& sink) {
    VQPlainXmlReader reader(text);
    if (!reader.CanRead())
        return false;
    bool anyElement = false;
    bool databaseSeen = false, md5Seen = false, versionSeen = false;
    std::string name, value;
    while (!reader.AtDocumentEnd()) {
        // Top-level text, comments and declarations are TinyXML's to read.
        if (!reader.AtElement())
            return false;
        bool empty = false;
        if (!reader.ReadStartTag(name, empty))
            return false;
        anyElement = true;
        if (name == kDatabaseElement && !databaseSeen) {
            databaseSeen = true;
            if (!empty && !ReadEntries(reader, sink))
                return false;
            continue;
        }
        bool hasText = false;
        if (!empty && !reader.ReadBody(name, value, hasText))
            return false;
        // Only the first of each head element counts, as in the tree.
        bool* seen = name == kMd5Element ? &md5Seen : name == kVersionElement ? &versionSeen : nullptr;
        if (seen == nullptr || *seen)
            continue;
        *seen = true;
        if (hasText)
            sink.OnHeadText(name == kMd5Element ? kMd5Element : kVersionElement, value.c_str());
    }
    // TinyXML fails an empty document.
    return anyElement;
}

}  // namespace Tessar
