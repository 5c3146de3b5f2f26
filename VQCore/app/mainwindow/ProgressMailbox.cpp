#include "VQCore/app/mainwindow/ProgressMailbox.h"

namespace Tessar {

bool VQProgressMailbox::Offer(uint32_t taskId, uint64_t value, uint32_t now) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_slots.find(taskId);
    const bool fresh = found == m_slots.end();
    Slot& slot = fresh ? m_slots[taskId] : found->second;
    slot.value = value;
    slot.waiting = true;
    if (slot.posted || (!fresh && now - slot.postedAt < kProgressEveryMs)) return false;
    slot.posted = true;
    slot.waiting = false;
    slot.postedAt = now;
    return true;
}

bool VQProgressMailbox::TakeWaiting(uint32_t taskId) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_slots.find(taskId);
    if (found == m_slots.end() || found->second.posted || !found->second.waiting) return false;
    found->second.posted = true;
    found->second.waiting = false;
    return true;
}

bool VQProgressMailbox::Take(uint32_t taskId, uint64_t& value) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_slots.find(taskId);
    if (found == m_slots.end() || !found->second.posted) return false;
    value = found->second.value;
    found->second.posted = false;
    found->second.waiting = false;
    return true;
}

}  // namespace Tessar
