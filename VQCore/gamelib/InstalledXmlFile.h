#pragma once
// "install.vqx" in the data folder: the installed games in a common list
// and a quick-start list, plain XML.
//
//   <INSTALLED>
//     <COMMON><NODE><ID>00042</ID><Name>..</Name><FullPath>..</FullPath>
//       <RunArg>..</RunArg><WorkingDir>..</WorkingDir><SetupDir>..</SetupDir>
//       <SetupTime>..</SetupTime><LastRunTime>..</LastRunTime>
//       <RunCount>3</RunCount><Registered>1</Registered>
//       <UninstallDigest>..</UninstallDigest><CreatedDir>..</CreatedDir></NODE>
//     ...</COMMON>
//     <QUICK>...</QUICK>
//   </INSTALLED>
//
// Empty texts are left out and Registered is written only when it is 1.
// UninstallDigest and CreatedDir came later: lists without them read as
// before (without CreatedDir no folder of the game is ever deleted).
// COMMON and QUICK may stand in either order; other tags are ignored. A
// record with a malformed or out-of-range number is dropped rather than
// read as a wrong value. One thread at a time.

#include "VQCore/gamelib/GameInstalledInfo.h"
#include "common/XmlFile.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Tessar {

class VQInstalledXmlFile : public VQXmlFile {
public:
    typedef boost::shared_ptr<VQGameInstalledInfo> Record;
    typedef std::vector<Record> Records;

    explicit VQInstalledXmlFile(const std::wstring& path = std::wstring());
    ~VQInstalledXmlFile() override;

    // LoadFile of the object's path.
    bool Load() override;
    // Frees the document and drops both lists.
    void Close() override;

    // Replaces both lists by the file's, in file order. False when the file
    // is missing or not well-formed (empty lists then); a file without
    // INSTALLED gives true and empty lists.
    bool LoadFile(const std::wstring& path);
    // Writes both lists to the path through a temporary file; false when
    // the file could not be written (the old file then stays as it was).
    bool Save(const std::wstring& path);

    // The records are shared, not copied.
    void SetRecords(const Records& common, const Records& quick);
    const Records& GetCommonRecords() const { return m_common; }
    const Records& GetQuickRecords() const { return m_quick; }

private:
    Records m_common;
    Records m_quick;
};

}  // namespace Tessar
