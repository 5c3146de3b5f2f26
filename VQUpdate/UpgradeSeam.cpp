#include "VQUpdate/UpgradeSeam.h"

#include <atomic>

namespace Tessar {

namespace {

std::atomic<IUpgradeSeam*> g_seam{nullptr};

}  // namespace

IUpgradeSeam* InstallUpgradeSeam(IUpgradeSeam* seam) {
    return g_seam.exchange(seam);
}

void UpgradeSeamPoint(const std::wstring& step) {
    if (IUpgradeSeam* seam = g_seam.load())
        seam->Reached(step);
}

std::wstring InstanceEventName(const wchar_t* name) {
    IUpgradeSeam* seam = g_seam.load();
    return seam != nullptr ? seam->EventName(name) : std::wstring(name);
}

}  // namespace Tessar
