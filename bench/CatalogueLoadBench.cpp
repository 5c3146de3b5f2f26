// Catalogue load on a synthetic 10,000-game catalogue stored as the program
// stores it: the full load (read, decipher, checksum, parse, records,
// indexes) beside a bare TinyXML parse of the same plain XML, and the
// look-ups by id, executable name and MD5 beside a linear scan.

#include "bench/BenchClock.h"
#include "bench/CatalogueGenerator.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "common/TempFile.h"

#include <tinyxml.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Tessar;
using namespace Tessar::Bench;

namespace {

const int kLoadRuns = 11;
const int kLookups = 200000;
const int kScanLookups = 200;

uint64_t FileSizeKb(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / 1024;
}

// Average microseconds of one look-up over the keys, repeated to count.
template <typename Find>
double TimeLookups(size_t keyCount, int count, Find find, size_t& hits) {
    double start = NowMs();
    for (int i = 0; i < count; ++i)
        hits += find(static_cast<size_t>(i) % keyCount) != nullptr;
    return (NowMs() - start) * 1000.0 / count;
}

}  // namespace

int main() {
    const std::vector<VQGameRecord> games = Bench::MakeSyntheticGames();
    TempFileHolder file;
    std::wstring path;
    std::string plain;
    if (!CreateTempFile(file, path) || !Bench::WriteSyntheticCatalogue(games, L"20240601", path, &plain)) {
        fprintf(stderr, "cannot write the catalogue\n");
        return 1;
    }

    // The two alternate which goes first, so that neither always finds the
    // heap as the other left it; the first round warms the file cache.
    std::vector<double> ours, bare;
    size_t loaded = 0;
    for (int run = 0; run <= kLoadRuns; ++run) {
        double ourTime = 0, bareTime = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((run + turn) % 2 == 0) {
                std::unique_ptr<VQDatabaseXmlFile> database(new VQDatabaseXmlFile(path));
                double start = NowMs();
                bool ok = database->Load();
                ourTime = NowMs() - start;
                if (!ok) {
                    fprintf(stderr, "catalogue load failed\n");
                    return 1;
                }
                loaded = database->GetGames().size();
            } else {
                std::unique_ptr<TiXmlDocument> document(new TiXmlDocument);
                double start = NowMs();
                document->Parse(plain.c_str());
                bareTime = NowMs() - start;
                if (document->Error()) {
                    fprintf(stderr, "bare parse failed\n");
                    return 1;
                }
            }
        }
        if (run > 0) {
            ours.push_back(ourTime);
            bare.push_back(bareTime);
        }
    }
    char what[160];
    _snprintf(what, sizeof(what), "catalogue load %u games", static_cast<unsigned>(loaded));
    // Kept within 1.5 times the bare parse (1.42 on an idle machine).
    PrintGoalLine(what, Percentile(ours, 0.5), "bare parse", Percentile(bare, 0.5), "ms", RatioAtMost(1.5));
    printf("  (median of %d loads; %u KB of plain XML, %u KB on disk)\n", kLoadRuns,
           static_cast<unsigned>(plain.size() / 1024), static_cast<unsigned>(FileSizeKb(path)));

    VQDatabaseXmlFile database(path);
    if (!database.Load())
        return 1;
    std::vector<uint32_t> ids;
    std::vector<std::wstring> exeNames, md5s;
    for (const VQGameRecord& game : games) {
        ids.push_back(game.ID);
        if ((IsOnlineGameId(game.ID) || IsToolGameId(game.ID)) && !game.ExeName.empty())
            exeNames.push_back(game.ExeName);
        if (IsSingleGameId(game.ID) && !game.Md5.empty())
            md5s.push_back(game.Md5);
    }
    std::mt19937 random(7);
    std::shuffle(ids.begin(), ids.end(), random);
    std::shuffle(exeNames.begin(), exeNames.end(), random);
    std::shuffle(md5s.begin(), md5s.end(), random);

    // The reference: a scan over the records in file order.
    std::vector<const VQGameRecord*> records;
    for (const auto& entry : database.GetGames())
        records.push_back(entry.second.get());
    auto scan = [&records](auto match) -> const VQGameRecord* {
        for (const VQGameRecord* record : records) {
            if (match(*record))
                return record;
        }
        return nullptr;
    };

    size_t hits = 0, scanHits = 0;
    double byId = TimeLookups(ids.size(), kLookups, [&](size_t i) { return database.FindById(ids[i]); }, hits);
    double byIdScan = TimeLookups(ids.size(), kScanLookups, [&](size_t i) {
        return scan([&](const VQGameRecord& r) { return r.ID == ids[i]; });
    }, scanHits);
    double byExe = TimeLookups(exeNames.size(), kLookups,
                               [&](size_t i) { return database.FindByExeName(exeNames[i]); }, hits);
    double byExeScan = TimeLookups(exeNames.size(), kScanLookups, [&](size_t i) {
        return scan([&](const VQGameRecord& r) { return r.ExeName == exeNames[i]; });
    }, scanHits);
    double byMd5 = TimeLookups(md5s.size(), kLookups, [&](size_t i) { return database.FindByMd5(md5s[i]); }, hits);
    double byMd5Scan = TimeLookups(md5s.size(), kScanLookups, [&](size_t i) {
        return scan([&](const VQGameRecord& r) { return r.Md5 == md5s[i]; });
    }, scanHits);

    _snprintf(what, sizeof(what), "catalogue look-up by id (average of %d)", kLookups);
    PrintRatioLine(what, byId, "linear scan", byIdScan, "us");
    _snprintf(what, sizeof(what), "catalogue look-up by executable name (average of %d)", kLookups);
    PrintRatioLine(what, byExe, "linear scan", byExeScan, "us");
    _snprintf(what, sizeof(what), "catalogue look-up by MD5 (average of %d)", kLookups);
    PrintRatioLine(what, byMd5, "linear scan", byMd5Scan, "us");
    if (hits != 3u * kLookups || scanHits != 3u * kScanLookups)
        printf("note: %u of %d look-ups and %u of %d scans found their game\n", static_cast<unsigned>(hits),
               3 * kLookups, static_cast<unsigned>(scanHits), 3 * kScanLookups);
    return 0;
}
