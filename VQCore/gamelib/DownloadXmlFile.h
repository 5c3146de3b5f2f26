#pragma once
// "download.vqx" in the data folder: the unfinished downloads, plain XML.
//
//   <DOWNLOAD>
//     <NODE><ID>42</ID><URL>..</URL><LogPath>..</LogPath>
//           <SetupPath>..</SetupPath><State>4</State><Type>1</Type>
//           <Total>..</Total><Completed>..</Completed></NODE> ...
//   </DOWNLOAD>
//
// Empty texts and zero sizes are left out. Every child of DOWNLOAD is a
// record whatever its tag; unknown fields are ignored (and lost at the next
// save). A record with a malformed or out-of-range number is dropped rather
// than read as a wrong value. One thread at a time.

#include "VQCore/gamelib/GameDownloadInfo.h"
#include "common/XmlFile.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Tessar {

class VQDownloadXmlFile : public VQXmlFile {
public:
    typedef boost::shared_ptr<VQGameDownloadInfo> Record;
    typedef std::vector<Record> Records;

    explicit VQDownloadXmlFile(const std::wstring& path = std::wstring());
    ~VQDownloadXmlFile() override;

    // LoadFile of the object's path.
    bool Load() override;
    // Frees the document and drops the records.
    void Close() override;

    // Replaces the records by the file's, in file order. False when the
    // file is missing or not well-formed (no records then); a file without
    // DOWNLOAD gives true and no records.
    bool LoadFile(const std::wstring& path);
    // Writes the records to the path through a temporary file; false when
    // the file could not be written (the old file then stays as it was).
    bool Save(const std::wstring& path);

    // The records are shared, not copied.
    void SetRecords(const Records& records) { m_records = records; }
    const Records& GetRecords() const { return m_records; }

private:
    Records m_records;
};

}  // namespace Tessar
