#include "VQCore/app/pages/GameIcon.h"

#include <mmsystem.h>

#include <atomic>
#include <cstring>

#include "VQCore/app/pages/GameIconToolBar.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FormatText.h"
#include "common/PathText.h"
#include "ui/PaintManager.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

// Tiles are made on worker threads too (scan, list and catalogue jobs).
std::atomic<uint32_t> g_nextTileSerial{1};

}  // namespace

VQGameIcon::VQGameIcon() : m_serial(g_nextTileSerial.fetch_add(1)) {}

VQGameIcon::~VQGameIcon() {
    // The hover tool bar must not keep pointing at a tile that is gone (a
    // search result replaced while the mouse rests on it).
    if (m_manager) {
        VQControl* bar = m_manager->FindControlById(IdTileToolBar);
        VQGameIconToolBar* toolBar =
            bar ? static_cast<VQGameIconToolBar*>(bar->GetInterface(ControlTypeGameIconToolBar)) : nullptr;
        if (toolBar && toolBar->GetTile() == this) {
            toolBar->UpdateForTile(nullptr);
            toolBar->SetVisible(false);
        }
    }
}

VQControl* VQGameIcon::GetInterface(int type) {
    if (type == ControlTypeGameIcon || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

void VQGameIcon::SetPos(int left, int top, int right, int bottom) {
    if (right < left) right = left;
    if (bottom < top) bottom = top;
    m_itemRect = {left, top, right, bottom};
    m_needUpdate = false;
}

void VQGameIcon::SetText(const std::wstring& text) {
    if (text != m_text) {
        m_text = text;
        Invalidate();
    }
    SetState(static_cast<uint32_t>(m_tileState));
}

int VQGameIcon::GetOwnerListId() const {
    return m_ownerList ? m_ownerList->GetId() : 0;
}

bool VQGameIcon::IsOnQuickStrip() const {
    return GetOwnerListId() == IdQuickList;
}

std::wstring TileString(UINT id) {
    return VQSkinManager::Instance().LoadModuleString(id);
}

void VQGameIcon::UpdateCaptionForState() {
    m_textColors[TextNormal] = 0xFFFFFFFF;
    switch (m_tileState) {
    case kTileWaiting:
        m_caption = TileString(StrWaitingForDownload);
        break;
    case kTileDownloading: {
        static const wchar_t* const kDots[] = {L"", L".", L"..", L"..."};
        const int step = m_data.downloadStep;
        m_caption = TileString(StrDownloading) + ((step >= 1 && step <= 3) ? kDots[step] : L"");
        break;
    }
    case kTilePaused:
        m_caption = TileString(StrDownloadPaused);
        m_textColors[TextNormal] = 0x99FFFFFF;
        break;
    case kTileDownloaded: {
        const int sub = m_data.downloadedSubState;
        if (sub == 1) m_caption = TileString(StrClickToInstall);
        else if (sub == 2) m_caption = TileString(StrInstalling);
        else if (sub == 3) m_caption = TileString(StrWaitingToInstall);
        // The main window updates its download counters on the UI thread.
        if (m_manager && m_manager->GetPaintWindow())
            PostMessageW(m_manager->GetPaintWindow(), kMsgTileDownloaded, reinterpret_cast<WPARAM>(this), 0);
        break;
    }
    default:
        m_caption = m_text;
        break;
    }
}

void VQGameIcon::SetState(uint32_t state) {
    m_tileState = static_cast<int>(state);
    if (m_manager) {
        VQControl* bar = m_manager->FindControlById(IdTileToolBar);
        VQGameIconToolBar* toolBar =
            bar ? static_cast<VQGameIconToolBar*>(bar->GetInterface(ControlTypeGameIconToolBar)) : nullptr;
        if (toolBar && toolBar->GetTile() == this) toolBar->UpdateForTile(this);
    }
    UpdateCaptionForState();
    if (m_tileState == kTileWaiting || m_tileState == kTileDownloading) StartStateTimer();
    else StopStateTimer();
    NeedUpdate();
    NeedParentUpdate();
    Invalidate();
}

void VQGameIcon::StartStateTimer() {
    if (m_stateTimerRunning || !m_manager) return;
    m_stateTimerRunning = m_manager->SetTimer(this, kStateTimer, 100);
}

void VQGameIcon::StopStateTimer() {
    if (!m_stateTimerRunning) return;
    if (m_manager) m_manager->KillTimer(this, kStateTimer);
    m_stateTimerRunning = false;
}

void VQGameIcon::SetStatus(const char* status) {
    if (!status) return;
    for (uint32_t i = 0; i < kGameStatusLength && status[i] != '\0'; ++i) m_data.status[i] = status[i];
}

void VQGameIcon::SetFromRecord(const VQGameRecord& record) {
    m_data.gameId = record.ID;
    m_text = record.GameName;
    m_data.uninstallKey = record.UninstallKey;
    SetStatus(record.Status);
    m_data.homePage = record.Home;
    m_data.category = record.Type;
    m_data.size = record.Size;
    m_data.published = record.Publish != 0;
    m_data.synopsis = record.Synopsis;
    m_data.downloadType = record.DLType;
    m_data.registerPage = record.Register;
    m_data.loginPage = record.Login;
    m_data.advert = record.Advert;
    m_data.help = record.Help;
    m_data.browserFlag = record.League;
    m_data.os = record.OS;
    m_data.cpuClass = record.CpuCount;
    m_data.cpuSpeed = record.CpuSpeed;
    m_data.memory = record.Memory;
    m_data.video = record.Video;
    m_data.installSize = record.InstallSize;
    m_data.depend = record.Depend;
    if (m_tileState == kTileInstalled || m_tileState == kTileNotInstalled) m_caption = m_text;
}

void VQGameIcon::CopyFrom(const VQGameIcon& source) {
    SetState(kTileNotInstalled);
    const VQGameIconData& from = source.m_data;
    m_data.gameId = from.gameId;
    SetText(source.GetText());
    m_data.uninstallKey = from.uninstallKey;
    std::memcpy(m_data.status, from.status, kGameStatusLength);
    m_data.homePage = from.homePage;
    m_data.category = from.category;
    m_data.size = from.size;
    m_data.published = from.published;
    m_data.synopsis = from.synopsis;
    m_data.downloadType = from.downloadType;
    m_data.registerPage = from.registerPage;
    m_data.loginPage = from.loginPage;
    m_data.advert = from.advert;
    m_data.help = from.help;
    m_data.browserFlag = from.browserFlag;
    m_iconDescription = source.m_iconDescription;
    m_data.os = from.os;
    m_data.cpuClass = from.cpuClass;
    m_data.cpuSpeed = from.cpuSpeed;
    m_data.memory = from.memory;
    m_data.video = from.video;
    m_data.installSize = from.installSize;
    m_data.depend = from.depend;
}

void VQGameIcon::SignalCompletion(bool success) {
    HWND host = m_manager ? m_manager->GetPaintWindow() : nullptr;
    if (host && GetWindowThreadProcessId(host, nullptr) != GetCurrentThreadId()) {
        PostMessageW(host, kMsgTileCompletion, reinterpret_cast<WPARAM>(this), success ? 1 : 0);
        return;
    }
    VQSettings& settings = VQSettings::Instance();
    if (success) {
        // Sent: this is the window's own thread (a worker's report was handed
        // over above), so the tip is made while the tile is still where the
        // install left it, before notification 22 moves it.
        if (settings.GetBool(L"CompleteMessageTip") && host)
            SendMessageW(host, kMsgTileInstallFinished, GetSerial(), 0);
        if (settings.GetBool(L"CompleteAudioTip")) {
            const std::wstring sound = GetCompleteSoundPath();
            if (FileExists(sound)) PlaySoundW(sound.c_str(), nullptr, SND_ASYNC | SND_NODEFAULT | SND_FILENAME);
        }
        if (m_manager) m_manager->SendNotify(this, NotifyInstallFinished, 0, 0);
    }
    if (settings.GetBool(L"CompletePowerOff") && m_ownerList && m_manager)
        m_manager->SendNotify(m_ownerList, NotifyLastInstallDone, 0, 0);
}

void VQGameIcon::RecordRun(int64_t time) {
    m_data.lastRunTime = time;
    if (time != 0) ++m_data.runCount;
    Invalidate();
}

bool DeliverTileCompletion(VQPaintManager* manager, WPARAM wParam, LPARAM lParam) {
    VQGameIcon* posted = reinterpret_cast<VQGameIcon*>(wParam);
    if (!manager || !posted) return false;
    // The pointer is only compared until a list is found to hold it: the
    // tile may have gone since the worker posted.
    for (int id = IdHotList; id <= IdSearchList; ++id) {
        VQControl* control = manager->FindControlById(id);
        VQIconList* list = control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
        if (!list) continue;
        for (VQGameIcon* tile : list->GetTiles()) {
            if (tile != posted) continue;
            tile->SignalCompletion(lParam != 0);
            return true;
        }
    }
    return false;
}

int GameKindOf(const VQGameIcon* tile) {
    if (!tile) return kNoGameKind;
    return static_cast<int>(GameKindOf(tile->GetGameId()));
}

static VQIconList* ListById(VQPaintManager* manager, int id) {
    if (!manager) return nullptr;
    VQControl* control = manager->FindControlById(id);
    return control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
}

VQGameIcon* FindInstalledTwin(const VQGameIcon* tile) {
    if (!tile) return nullptr;
    for (int id : {static_cast<int>(IdInstalledList), static_cast<int>(IdQuickList)}) {
        VQIconList* list = ListById(tile->GetManager(), id);
        if (!list) continue;
        for (VQGameIcon* other : list->GetTiles())
            if (other->GetGameId() == tile->GetGameId() && other->GetState() == kTileInstalled) return other;
    }
    return nullptr;
}

VQGameIcon* FindDownloadTwin(const VQGameIcon* tile) {
    if (!tile) return nullptr;
    VQIconList* list = ListById(tile->GetManager(), IdDownloadList);
    if (!list) return nullptr;
    for (VQGameIcon* other : list->GetTiles())
        if (other->GetGameId() == tile->GetGameId()) return other;
    return nullptr;
}

std::wstring FormatSizeText(int64_t bytes) {
    const int64_t kGiB = 1ll << 30, kMiB = 1ll << 20;
    if (bytes >= kGiB) return FormatString(L"%.2fGB", static_cast<double>(bytes) / kGiB);
    if (bytes >= kMiB) return FormatString(L"%.1fMB", static_cast<double>(bytes) / kMiB);
    return FormatString(L"%.0fKB", static_cast<double>(bytes) / 1024.0);
}

std::wstring GameIconDescription(uint32_t gameId) {
    const std::wstring path = GetGameIconPath(gameId);
    if (FileExists(path)) return L"file='" + path + L"' encrypt='true'";
    return FormatString(L"res='%d' restype='PNG'", static_cast<int>(PicDefaultGame));
}

}  // namespace Tessar
