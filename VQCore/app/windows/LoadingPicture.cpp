#include "VQCore/app/windows/LoadingPicture.h"

#include <string>

#include "ui/Control.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

const int kFrameWidth = 32;
const int kFrameHeight = 33;

}  // namespace

void ShowLoadingPicture(VQPaintManager& manager, VQControl* control, const wchar_t* picture) {
    if (control == nullptr) return;
    control->m_frameBaseImage = picture;
    control->m_frameOnBackground = true;
    control->m_frameWidth = kFrameWidth;
    control->m_frameHeight = kFrameHeight;
    control->m_firstFrame = 0;
    control->m_lastFrame = kLoadingFrames - 1;
    control->m_currentFrame = 0;
    control->SetAttribute(L"bknormalimage", std::wstring(picture) + L" source='0,0,32,33'");
    control->SetVisible(true);
    manager.SetTimer(control, kLoadingTimerId, kLoadingStepMs);
}

void HideLoadingPicture(VQPaintManager& manager, VQControl* control) {
    if (control == nullptr) return;
    control->SetVisible(false);
    manager.KillTimer(control, kLoadingTimerId);
}

}  // namespace Tessar
