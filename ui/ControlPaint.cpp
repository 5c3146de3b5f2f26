// The five paint steps of the control base: background colour, background
// image, state image, text and border, each choosing its colour, image,
// padding or font by the state priority disabled, selected, pushed, hot,
// focused, normal.
#include "ui/Control.h"

#include "ui/PaintManager.h"
#include "ui/RenderEngine.h"

namespace Tessar {
namespace {

// Gap between two copies of a rolling text.
const int kRollGap = 10;

bool IsEmptyRect(const RECT& rc) {
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

}  // namespace

bool VQControl::DrawImage(HDC hdc, const std::wstring& image, const wchar_t* modify) {
    return VQRenderEngine::DrawImageString(hdc, m_itemRect, m_paintRect, image.c_str(), modify);
}

void VQControl::PaintBkColor(HDC hdc) {
    struct Candidate {
        unsigned state;
        int index;
    };
    static const Candidate kOrder[] = {{StateDisabled, ImageDisabled}, {StateSelected, ImageSelected},
                                       {StatePushed, ImagePushed},     {StateHot, ImageHot},
                                       {StateFocused, ImageFocused}};
    uint32_t color = 0;
    for (const Candidate& candidate : kOrder) {
        if ((m_state & candidate.state) != 0 && m_bkColors[candidate.index] != 0) {
            color = m_bkColors[candidate.index];
            break;
        }
    }
    if (color == 0) color = m_bkColors[ImageNormal];
    // On a layered window the fill must write its alpha whatever the markup says.
    const bool layered = m_layeredBk || (m_manager != nullptr && m_manager->IsLayered());
    if (color != 0) VQRenderEngine::DrawColor(hdc, m_itemRect, color, layered);
}

// Tries the state candidates in order, then the normal image; an image that
// cannot be drawn is cleared so that it is not tried again.
static void PaintImageByState(VQControl& control, HDC hdc, std::wstring* images, const unsigned* states,
                              const int* indices, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if ((control.m_state & states[i]) == 0 || images[indices[i]].empty()) continue;
        if (control.DrawImage(hdc, images[indices[i]])) return;
        images[indices[i]].clear();
    }
    if (images[ImageNormal].empty()) return;
    if (!control.DrawImage(hdc, images[ImageNormal])) images[ImageNormal].clear();
}

void VQControl::PaintBkImage(HDC hdc) {
    // The selected background image is the business of the subclasses.
    static const unsigned kStates[] = {StateDisabled, StatePushed, StateHot, StateFocused};
    static const int kIndices[] = {ImageDisabled, ImagePushed, ImageHot, ImageFocused};
    PaintImageByState(*this, hdc, m_bkImages, kStates, kIndices, 4);
}

void VQControl::PaintStatusImage(HDC hdc) {
    static const unsigned kStates[] = {StateDisabled, StateSelected, StatePushed, StateHot, StateFocused};
    static const int kIndices[] = {ImageDisabled, ImageSelected, ImagePushed, ImageHot, ImageFocused};
    PaintImageByState(*this, hdc, m_stateImages, kStates, kIndices, 5);
}

void VQControl::PaintText(HDC hdc) {
    if (m_text.empty()) return;
    struct Candidate {
        unsigned state;
        int index;
    };
    static const Candidate kOrder[] = {{StateDisabled, TextDisabled},
                                       {StateSelected, TextSelected},
                                       {StatePushed, TextPushed},
                                       {StateHot, TextHot}};
    const RECT* padding = &m_textPaddings[TextNormal];
    uint32_t color = m_textColors[TextNormal];
    const std::wstring* font = &m_fonts[TextNormal];
    bool paddingChosen = false, colorChosen = false, fontChosen = false;
    for (const Candidate& candidate : kOrder) {
        if ((m_state & candidate.state) == 0) continue;
        if (!paddingChosen && !IsEmptyRect(m_textPaddings[candidate.index])) {
            padding = &m_textPaddings[candidate.index];
            paddingChosen = true;
        }
        if (!colorChosen && m_textColors[candidate.index] != 0) {
            color = m_textColors[candidate.index];
            colorChosen = true;
        }
        if (!fontChosen && !m_fonts[candidate.index].empty()) {
            font = &m_fonts[candidate.index];
            fontChosen = true;
        }
    }
    RECT textRect = {m_itemRect.left + padding->left, m_itemRect.top + padding->top,
                     m_itemRect.right - padding->right, m_itemRect.bottom - padding->bottom};

    const bool rollingWanted = m_flags.test(FlagEnterRollText) && m_rolling;
    if (!rollingWanted) {
        VQRenderEngine::DrawColoredText(hdc, m_manager, textRect, m_text, color, *font, m_textStyle, m_rowHeight);
        return;
    }
    SIZE size = VQRenderEngine::MeasureText(hdc, m_manager, m_text, *font);
    if (size.cx <= textRect.right - textRect.left) {
        m_rolling = false;
        m_rollOffset = 0;
        if (m_manager) m_manager->KillTimer(this, AnimationRoll);
        VQRenderEngine::DrawColoredText(hdc, m_manager, textRect, m_text, color, *font, m_textStyle, m_rowHeight);
        return;
    }
    VQRenderClip clip;
    VQRenderEngine::ClipToRect(hdc, textRect, clip);
    // Copies repeat every `step` pixels, so the offset counts only modulo
    // the step (a long roll never makes the loop longer).
    const int step = size.cx + kRollGap;
    int offset = m_rollOffset % step;
    if (offset < 0) offset += step;
    for (int x = textRect.left - offset; x < textRect.right; x += step) {
        if (x + size.cx < textRect.left) continue;
        RECT copy = {x, textRect.top, x + size.cx, textRect.bottom};
        VQRenderEngine::DrawColoredText(hdc, m_manager, copy, m_text, color, *font, m_textStyle, m_rowHeight);
    }
    VQRenderEngine::RestoreClip(hdc, clip);
}

void VQControl::PaintBorder(HDC hdc) {
    if (m_borderColor == 0 || m_borderSize <= 0) return;
    // A layered window needs the border's alpha written too.
    const bool layered = m_manager != nullptr && m_manager->IsLayered();
    if (m_roundCorner.cx != 0)
        VQRenderEngine::DrawRoundBorder(hdc, m_itemRect, m_borderSize, m_roundCorner.cx, m_roundCorner.cy,
                                        m_borderColor, layered);
    else
        VQRenderEngine::DrawBorder(hdc, m_itemRect, m_borderSize, m_borderColor, layered);
}

}  // namespace Tessar
