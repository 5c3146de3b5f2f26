#pragma once
// What the two list files (download.vqx, install.vqx) share around their
// records: loading a file and finding its top element, saving through a
// temporary file. Each list file says what its top element holds.
// One thread at a time.

#include "common/XmlFile.h"

#include <tinyxml.h>

#include <string>

namespace Tessar {

class VQListXmlFile : public VQXmlFile {
public:
    // LoadFile of the object's path.
    bool Load() override;
    // Frees the document and drops the records.
    void Close() override;

    // Replaces the records by the file's, in file order. False when the
    // file is missing or not well-formed (no records then); a file without
    // the top element gives true and no records.
    bool LoadFile(const std::wstring& path);
    // Writes the records to the path through a temporary file; false when
    // the file could not be written (the old file then stays as it was).
    bool Save(const std::wstring& path);

protected:
    VQListXmlFile(const std::wstring& path, const wchar_t* topElement);

    virtual void ClearRecords() = 0;
    // The records under the file's top element.
    virtual void ReadTop(const TiXmlElement* top) = 0;
    // False when an element could not be added.
    virtual bool WriteTop(TiXmlElement* top) const = 0;

private:
    const wchar_t* m_topElement;
};

}  // namespace Tessar
