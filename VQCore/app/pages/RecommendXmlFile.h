#pragma once
// The recommendation lists the update server sends: "advert.vqx" (which
// games each kind page shows first) and "hot.vqx" (the hot list). Both are
// enciphered XML: VERSION, MD5 and an ADVERT or HOT element holding the
// lists PC, ONLINE, FLASH, WEBGAME and TOOL of game ids.

#include <cstdint>
#include <string>
#include <vector>

#include "common/XmlFile.h"

namespace Tessar {

class VQRecommendXmlFile : public VQXmlFile {
public:
    enum ListType : uint32_t { AdvertList = 0, HotList = 1 };
    enum { kKindLists = 5 };

    VQRecommendXmlFile(const std::wstring& path, uint32_t type);
    ~VQRecommendXmlFile() override;

    bool Load() override;
    void Close() override;
    // Asks the update address for a newer list and replaces the file whole;
    // a failure at any step leaves the old file.
    bool Refresh(const std::wstring& query);

    // Kinds 1-5 in the order PC, ONLINE, FLASH, WEBGAME, TOOL.
    const std::vector<int32_t>& GetList(int index) const { return m_lists[index]; }
    const std::wstring& GetVersion() const { return m_version; }
    const std::wstring& GetMd5() const { return m_md5; }
    // The element names of the five lists.
    static const char* const kListNames[kKindLists];

private:
    uint32_t m_type;
    std::vector<int32_t> m_lists[kKindLists];
};

}  // namespace Tessar
