#pragma once
// The turning picture a window shows in place of its web view while a page
// loads: picture 267, a strip of 32 frames of 32 x 33, one frame further
// every 100 ms on the control's timer 2 (the toolkit's image-strip
// animation).

namespace Tessar {

class VQControl;
class VQPaintManager;

const int kLoadingFrames = 32;
const int kLoadingTimerId = 2;
const unsigned kLoadingStepMs = 100;

// Shows the control with the strip placed by `picture` (the image
// description of picture 267 with its dest) and starts its timer.
void ShowLoadingPicture(VQPaintManager& manager, VQControl* control, const wchar_t* picture);
// Hides the control and stops its timer.
void HideLoadingPicture(VQPaintManager& manager, VQControl* control);

}  // namespace Tessar
