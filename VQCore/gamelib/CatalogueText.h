#pragma once
// What the catalogue loader takes from database.vqx's plain text, as a
// sequence of calls: the leading texts of the first MD5 and VERSION
// elements, and each child element of the first DATABASE element (an
// entry) with those of its children that hold text first (its fields).
// Two readers give the same calls: the tree TinyXML parsed, and a plain
// reading of the text that keeps no tree (many times faster on a large
// catalogue) and declines any text outside the plain form.

class TiXmlDocument;

namespace Tessar {

class ICatalogueTextSink {
public:
    virtual ~ICatalogueTextSink() = default;
    // element is "MD5" or "VERSION".
    virtual void OnHeadText(const char* element, const char* text) = 0;
    virtual void OnEntryStart() = 0;
    virtual void OnField(const char* name, const char* text) = 0;
    virtual void OnEntryEnd() = 0;
};

// The calls for a parsed document.
void ReadCatalogueTree(const TiXmlDocument& document, ICatalogueTextSink& sink);
// The calls for the text (zero-terminated), when TinyXML would parse it
// without an error and the plain reader can read all of it; false as soon
// as it cannot (the calls made so far are then to be forgotten).
bool ReadPlainCatalogue(const char* text, ICatalogueTextSink& sink);

}  // namespace Tessar
