#pragma once
// One row of the runtime environment window: what is checked (a hardware
// part or a runtime), a mark and a text saying whether it meets the game's
// needs, and while a runtime downloads its progress with continue, pause
// and cancel. A hardware row whose drive lacks room offers "更改目录".
//
// The children take their look from the window's default attribute lists
// ("EnvironmentName", "EnvironmentIconOk", ...), so the skin decides every
// size, colour and picture. UI thread only.

#include <cstdint>
#include <string>

#include "VQCore/app/environment/EnvironmentCheck.h"
#include "ui/Layouts.h"

namespace Tessar {

const int ControlTypeEnvironmentElement = 26;

// Which child of the row a click came from.
enum class VQEnvironmentButton { kNone, kContinue, kPause, kCancel, kChangeDir };

class VQEnvironmentElement : public VQHorizontalLayout {
public:
    int GetControlType() const override { return ControlTypeEnvironmentElement; }
    VQControl* GetInterface(int type) override;
    // Builds the children once (the builder and Add may both call it).
    void DoInit() override;
    // The clicks of the four buttons reach the row before the window: the
    // row switches continue/pause and falls back to "not satisfied" on
    // cancel. The button itself then notifies the window.
    bool Activate(VQEvent& event) override;

    // Takes the looks from the manager's default lists again (a new skin).
    void ApplyLook();
    void SetState(uint32_t state);
    uint32_t GetState() const { return m_state; }
    bool IsPaused() const { return m_paused; }
    void SetNameText(const std::wstring& text);
    std::wstring GetNameText() const;
    std::wstring GetStatusText() const;
    // Fraction 0..1 of the download: bar and "%0.1f%%".
    void SetProgress(double fraction);
    std::wstring GetPercentText() const;
    int GetProgressValue() const;
    uint32_t GetPackageId() const { return m_packageId; }
    void SetPackageId(uint32_t id) { m_packageId = id; }
    // The child the control is, seen from this row.
    VQEnvironmentButton ButtonOf(const VQControl* control) const;
    // Whether that child is shown now (tests and the window look).
    bool IsButtonShown(VQEnvironmentButton button) const;

private:
    VQControl* MakeChild(VQControl* control, const wchar_t* look);
    void ApplyLookTo(VQControl* control, const wchar_t* look);
    void ShowStateLook();

    VQControl* m_name = nullptr;
    VQControl* m_icon = nullptr;
    VQControl* m_status = nullptr;
    VQControl* m_progress = nullptr;
    VQControl* m_percent = nullptr;
    VQControl* m_continue = nullptr;
    VQControl* m_pause = nullptr;
    VQControl* m_cancel = nullptr;
    VQControl* m_changeDir = nullptr;
    bool m_built = false;
    bool m_paused = false;
    uint32_t m_state = kRowNone;
    uint32_t m_packageId = 0;
};

}  // namespace Tessar
