#pragma once
// The start-up fill of the main window's pages from the list files and the
// catalogue. The pages a user sees first (installed games, quick strip,
// downloads, hot list) are filled before the window shows; the catalogue's
// recommendations for the kind pages, thousands of tiles, are made right
// after it showed and handed to their lists in slices from the window's
// message loop, so the window paints at once and stays responsive.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/pages/GameListState.h"

namespace Tessar {

class VQBackgroundJobs;
class VQDatabaseXmlFile;
class VQMarloxWnd;

class VQStartupPageFill {
public:
    // Takes the catalogue, which lives until the kind pages are filled.
    VQStartupPageFill(VQMarloxWnd& window, std::unique_ptr<VQDatabaseXmlFile> database);
    // Frees the tiles not yet handed to a list.
    ~VQStartupPageFill();
    VQStartupPageFill(const VQStartupPageFill&) = delete;
    VQStartupPageFill& operator=(const VQStartupPageFill&) = delete;

    // Installed games, quick strip, downloads and the hot list; starts the
    // fetch of a list file that did not load. The window's pages count as
    // filled from here on (the list files are written back from them).
    void FillFirstPages(VQBackgroundJobs* jobs);
    // One step of the rest: at most kSliceTiles of the kind pages'
    // catalogue tiles made per call, then at most kSliceTiles tiles handed
    // to their lists per call. True while more is left (the window posts
    // itself another step).
    bool FillNextSlice();
    bool IsDone() const { return m_done; }
    // Games of the pages whose picture file is missing (complete once done).
    const std::vector<uint32_t>& MissingIconIds() const { return m_missingIconIds; }

    static const size_t kSliceTiles = 400;

private:
    struct Pending {
        const wchar_t* listName;
        VQTileList tiles;
        size_t next = 0;
    };
    void QueueRest();

    VQMarloxWnd& m_window;
    std::unique_ptr<VQDatabaseXmlFile> m_database;
    VQGameListState m_lists;
    size_t m_quickHanded = 0;
    bool m_recommended = false;
    bool m_done = false;
    std::vector<Pending> m_pending;
    std::vector<uint32_t> m_missingIconIds;
};

}  // namespace Tessar
