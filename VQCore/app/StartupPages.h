#pragma once
// The start-up fill of the main window's pages from the list files and the
// catalogue: installed games, unfinished downloads, the advert and hot
// lists (their background fetch is started when a file does not load) and
// the catalogue's recommendations.

#include <cstdint>
#include <vector>

namespace Tessar {

class VQBackgroundJobs;
class VQDatabaseXmlFile;
class VQMarloxWnd;

// missingIconIds gets the games whose picture file is missing. False when
// the pages could not be filled.
bool FillPagesAtStart(VQMarloxWnd& window, VQDatabaseXmlFile& database, VQBackgroundJobs* jobs,
                      std::vector<uint32_t>& missingIconIds);

}  // namespace Tessar
