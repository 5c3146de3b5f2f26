#include "tests/VQCore/gamelib/ScanGameTestSupport.h"

#include "common/CodePage.h"
#include "common/XmlDocument.h"

#include <tinyxml.h>

namespace Tessar {

const char kVersionedGame[] = "scan/ScanGameVersioned.exe";
const char kPlainGame[] = "scan/ScanGamePlain.exe";

VQGameTileFactory RecordedTileFactory() {
    return []() { return std::unique_ptr<IGameTile>(new VQRecordedTile); };
}

VQScanRecorder::VQScanRecorder() : m_finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

VQScanRecorder::~VQScanRecorder() {
    if (m_finished != nullptr)
        ::CloseHandle(m_finished);
}

void VQScanRecorder::OnFileCount(uint32_t filesSeen) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_fileCount = filesSeen;
    }
    if (onFileCount)
        onFileCount(filesSeen);
}

void VQScanRecorder::OnProgress(uint32_t percent) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_progress.push_back(percent);
}

void VQScanRecorder::OnGameFound(std::unique_ptr<IGameTile> tile, bool iconMissing) {
    VQFoundGame found;
    found.tile.reset(static_cast<VQRecordedTile*>(tile.release()));
    found.iconMissing = iconMissing;
    std::lock_guard<std::mutex> hold(m_lock);
    m_found.push_back(std::move(found));
}

void VQScanRecorder::OnDirectory(const std::wstring& folder) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_folders.push_back(folder);
    }
    if (onDirectory)
        onDirectory(folder);
}

void VQScanRecorder::OnFinished() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        ++m_finishedCount;
    }
    ::SetEvent(m_finished);
}

bool VQScanRecorder::WaitFinished(DWORD milliseconds) {
    return ::WaitForSingleObject(m_finished, milliseconds) == WAIT_OBJECT_0;
}

uint32_t VQScanRecorder::FileCount() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_fileCount;
}

uint32_t VQScanRecorder::FinishedCount() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_finishedCount;
}

std::vector<uint32_t> VQScanRecorder::Progress() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_progress;
}

std::vector<std::wstring> VQScanRecorder::Folders() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_folders;
}

std::vector<uint32_t> VQScanRecorder::FoundIds() {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<uint32_t> ids;
    for (const VQFoundGame& found : m_found)
        ids.push_back(found.tile->id);
    return ids;
}

const VQFoundGame* VQScanRecorder::Found(uint32_t id) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const VQFoundGame& found : m_found) {
        if (found.tile->id == id)
            return &found;
    }
    return nullptr;
}

std::unique_ptr<VQDatabaseXmlFile> MakeCatalogue(const std::vector<VQGameFields>& games, const std::wstring& path) {
    // Written as wide text and parsed in the system code page, as the
    // catalogue file holds it.
    std::wstring text = L"<DATABASE>";
    for (const VQGameFields& game : games) {
        text += L"<GAME>";
        for (const auto& field : game)
            text += L"<" + field.first + L">" + field.second + L"</" + field.first + L">";
        text += L"</GAME>";
    }
    text += L"</DATABASE>";
    TiXmlDocument document;
    document.Parse(WideToNarrow(text).c_str());
    std::unique_ptr<VQDatabaseXmlFile> catalogue(new VQDatabaseXmlFile(path));
    if (document.Error())
        return nullptr;
    catalogue->ParseGames(&document, "DATABASE");
    return catalogue;
}

}  // namespace Tessar
