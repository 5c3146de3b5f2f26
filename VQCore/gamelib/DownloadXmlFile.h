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
// save). Numbers are read from their leading digits ("00042abc" is 42, "x"
// is 0; ID, State and Type keep the low 32 bits, sizes stop at the largest
// 64-bit count), so an odd field never costs its record. One thread at a
// time.

#include "VQCore/gamelib/GameDownloadInfo.h"
#include "VQCore/gamelib/ListXmlFile.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Tessar {

// Load, LoadFile, Save and Close as VQListXmlFile has them; the top
// element is DOWNLOAD.
class VQDownloadXmlFile : public VQListXmlFile {
public:
    typedef boost::shared_ptr<VQGameDownloadInfo> Record;
    typedef std::vector<Record> Records;

    explicit VQDownloadXmlFile(const std::wstring& path = std::wstring());

    // The records are shared, not copied.
    void SetRecords(const Records& records) { m_records = records; }
    const Records& GetRecords() const { return m_records; }

protected:
    void ClearRecords() override { m_records.clear(); }
    void ReadTop(const TiXmlElement* top) override;
    bool WriteTop(TiXmlElement* top) const override;

private:
    Records m_records;
};

}  // namespace Tessar
