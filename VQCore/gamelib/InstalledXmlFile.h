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
// COMMON and QUICK may stand in either order; other tags are ignored.
// Numbers are read as the C runtime's _wtoi and _wtoi64 read them (blanks,
// a sign, leading digits), so an odd field never costs its record. One
// thread at a time.

#include "VQCore/gamelib/GameInstalledInfo.h"
#include "VQCore/gamelib/ListXmlFile.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Tessar {

// Load, LoadFile, Save and Close as VQListXmlFile has them, for both
// lists; the top element is INSTALLED.
class VQInstalledXmlFile : public VQListXmlFile {
public:
    typedef boost::shared_ptr<VQGameInstalledInfo> Record;
    typedef std::vector<Record> Records;

    explicit VQInstalledXmlFile(const std::wstring& path = std::wstring());

    // The records are shared, not copied.
    void SetRecords(const Records& common, const Records& quick);
    const Records& GetCommonRecords() const { return m_common; }
    const Records& GetQuickRecords() const { return m_quick; }

protected:
    void ClearRecords() override;
    void ReadTop(const TiXmlElement* top) override;
    bool WriteTop(TiXmlElement* top) const override;

private:
    Records m_common;
    Records m_quick;
};

}  // namespace Tessar
