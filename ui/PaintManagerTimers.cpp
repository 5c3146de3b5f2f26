// Control timers: every control timer of one interval shares one native
// timer of the host window.
#include <algorithm>

#include "ui/PaintManager.h"

namespace Tessar {

UINT VQPaintManager::NextNativeTimerId() {
    // Ids run 17..254, 0, 1, ...; after wrapping, ids still in use are skipped.
    for (int tries = 0; tries < 255; ++tries) {
        m_timerCounter = (m_timerCounter + 1) % 255;
        UINT id = static_cast<UINT>(m_timerCounter);
        bool inUse = false;
        for (const auto& entry : m_nativeTimers)
            if (entry.second == id) inUse = true;
        if (!inUse) return id;
    }
    return static_cast<UINT>(m_timerCounter);
}

bool VQPaintManager::SetTimer(VQControl* control, int localId, UINT intervalMs) {
    if (!m_hostWindow || !control) return false;
    for (const auto& record : m_timers)
        if (!record->killed && record->control == control && record->window == m_hostWindow &&
            record->localId == localId)
            return false;
    UINT nativeId;
    auto it = m_nativeTimers.find(intervalMs);
    if (it != m_nativeTimers.end()) {
        nativeId = it->second;
    } else {
        nativeId = NextNativeTimerId();
        if (!::SetTimer(m_hostWindow, nativeId, intervalMs, nullptr)) return false;
        m_nativeTimers[intervalMs] = nativeId;
    }
    m_timers.emplace_back(new TimerRecord{control, localId, m_hostWindow, nativeId, intervalMs, false});
    return true;
}

void VQPaintManager::KillTimer(VQControl* control, int localId) {
    for (size_t i = 0; i < m_timers.size(); ++i) {
        TimerRecord& record = *m_timers[i];
        if (record.killed || record.control != control || record.window != m_hostWindow ||
            record.localId != localId)
            continue;
        const UINT nativeId = record.nativeId;
        const UINT interval = record.interval;
        const HWND window = record.window;
        m_timers.erase(m_timers.begin() + i);
        bool shared = std::any_of(m_timers.begin(), m_timers.end(), [&](const std::unique_ptr<TimerRecord>& r) {
            return !r->killed && r->nativeId == nativeId;
        });
        if (!shared) {
            if (::IsWindow(window)) ::KillTimer(window, nativeId);
            m_nativeTimers.erase(interval);
        }
        return;
    }
}

void VQPaintManager::KillTimersOf(VQControl* control) {
    std::vector<int> ids;
    for (const auto& record : m_timers)
        if (record->control == control) ids.push_back(record->localId);
    for (int id : ids) KillTimer(control, id);
}

void VQPaintManager::RemoveAllTimers() {
    for (const auto& record : m_timers)
        if (!record->killed && ::IsWindow(record->window)) ::KillTimer(record->window, record->nativeId);
    m_timers.clear();
    // The native timers are gone: a later timer of the same interval needs a new one.
    m_nativeTimers.clear();
}

void VQPaintManager::OnTimerMessage(UINT nativeId) {
    // Handlers may set or kill timers or free controls: walk a copy and
    // check each record is still live before its event.
    std::vector<std::pair<VQControl*, int>> due;
    for (const auto& record : m_timers)
        if (!record->killed && record->window == m_hostWindow && record->nativeId == nativeId)
            due.emplace_back(record->control, record->localId);
    for (const auto& entry : due) {
        bool live = std::any_of(m_timers.begin(), m_timers.end(), [&](const std::unique_ptr<TimerRecord>& r) {
            return !r->killed && r->control == entry.first && r->localId == entry.second && r->nativeId == nativeId;
        });
        if (live) SendEvent(entry.first, EventTimer, nullptr, static_cast<WPARAM>(entry.second));
    }
}

}  // namespace Tessar
