// How a game tile lays itself out and paints picture, progress, badges and
// caption.
#include "VQCore/app/pages/GameIcon.h"

#include "VQCore/app/pages/IconList.h"
#include "VQCore/gamelib/GameId.h"
#include "common/FormatText.h"
#include "ui/PaintManager.h"
#include "ui/RenderEngine.h"

namespace Tessar {

namespace {

const int kIconSize = 48;
const int kFrameSize = 62;
const int kProgressWidth = 42;
const int kRollGap = 10;

std::wstring ResPicture(int id, const RECT& rc) {
    return FormatString(L"res='%d' restype='PNG' dest='%d,%d,%d,%d'", id, rc.left, rc.top, rc.right, rc.bottom);
}

}  // namespace

void VQGameIcon::DoInit() {
    const int W = m_ownerList ? m_ownerList->GetItemWidth() : GetWidth();
    const int H = m_ownerList ? m_ownerList->GetItemHeight() : GetHeight();
    const bool quick = IsOnQuickStrip();
    m_iconRect.left = (W - kIconSize) / 2;
    m_iconRect.right = m_iconRect.left + kIconSize;
    m_iconRect.top = quick ? 24 : 7;
    m_iconRect.bottom = quick ? 72 : 55;
    m_badgeRect = {19, quick ? 20 : 3, 43, quick ? 45 : 28};
    SetInset(m_iconRect.left, m_iconRect.top, W - m_iconRect.right, H - m_iconRect.bottom);

    SetNotifyBit(NotifyClick, true);
    m_textColors[TextNormal] = 0xFFFFFFFF;
    SetCut(1, 0, 1, 0);
    m_textPaddings[TextNormal] = quick ? RECT{6, 80, 6, 5} : RECT{6, 63, 6, 21};
    if (!m_addTile) {
        const int listId = GetOwnerListId();
        if (listId != IdInstalledList && listId != IdQuickList) {
            SetNotifyBit(NotifyMouseHover, true);
            SetNotifyBit(NotifyMouseLeave, true);
            m_hasBeenHover = true;
            m_toolTipDelay = 400;
        }
        SetNotifyBit(NotifyContextMenu, true);
        if (!m_dragImage) {
            const int x = (W - kFrameSize) / 2;
            const int top = quick ? 17 : 0;
            m_stateImages[ImageNormal] = FormatString(L"res='%d' restype='PNG' source='0,0,62,62' dest='%d,%d,%d,%d'",
                                                      PicIconFrame, x, top, x + kFrameSize, top + kFrameSize);
            m_plainFrame = m_stateImages[ImageNormal];
            m_frameRect = {x, top, x + kFrameSize, top + kFrameSize};
        }
    } else if (m_ownerList) {
        m_stateImages[ImageNormal] = m_ownerList->GetAddNormalImage();
        m_stateImages[ImageHot] = m_ownerList->GetAddHotImage();
        m_stateImages[ImagePushed] = m_ownerList->GetAddPushedImage();
        SetCut(m_iconRect.left, m_iconRect.top, W - m_iconRect.right, H - m_iconRect.bottom);
    }
    SetState(static_cast<uint32_t>(m_tileState));
    VQContainer::DoInit();
}

void VQGameIcon::StartBlinkAnimation() {
    const int W = m_ownerList ? m_ownerList->GetItemWidth() : GetWidth();
    const int x = (W - kFrameSize) / 2;
    m_frameBaseImage = IsOnQuickStrip()
                           ? FormatString(L"res='%d' restype='PNG' dest='%d,17,%d,79'", PicIconFrame, x, x + kFrameSize)
                           : FormatString(L"res='%d' restype='PNG' dest='%d,0,%d,62'", PicIconFrame, x, x + kFrameSize);
    m_frameWidth = kFrameSize;
    m_frameHeight = kFrameSize;
    m_firstFrame = 1;
    m_lastFrame = 2;
    m_currentFrame = 0;
    m_frameRepeatLimit = 10;
    m_frameStepCount = 0;
    m_frameOnBackground = false;
    m_savedImage.clear();
    if (m_manager) m_manager->SetTimer(this, kBlinkTimer, 100);
}

void VQGameIcon::PaintBkImage(HDC hdc) {
    struct Candidate {
        unsigned state;
        std::wstring* image;
    };
    std::wstring hot = m_ownerList ? m_ownerList->GetHotBackground() : std::wstring();
    Candidate order[] = {{StateDisabled, &m_bkImages[ImageDisabled]},
                         {StatePushed, &m_bkImages[ImagePushed]},
                         {StateHot, &hot},
                         {StateFocused, &m_bkImages[ImageFocused]}};
    for (Candidate& candidate : order) {
        if (!(m_state & candidate.state) || candidate.image->empty()) continue;
        if (DrawImage(hdc, *candidate.image)) return;
        candidate.image->clear();
    }
    if (!m_bkImages[ImageNormal].empty() && !DrawImage(hdc, m_bkImages[ImageNormal])) m_bkImages[ImageNormal].clear();
}

void VQGameIcon::PaintProgress(HDC hdc) {
    const RECT& icon = m_iconRect;
    DrawImage(hdc, ResPicture(PicDimLayer, icon));
    DrawImage(hdc, FormatString(L"res='%d' restype='PNG' corner='2,0,2,0' dest='%d,%d,%d,%d'", PicProgressFrame,
                                icon.left + 2, icon.top + 38, icon.right - 2, icon.bottom - 2));
    int fill = 0;
    if (m_data.totalBytes > 0) {
        const double fraction = static_cast<double>(m_data.completedBytes) / static_cast<double>(m_data.totalBytes);
        const int top = m_itemRect.top + 22 + icon.top;
        RECT band = {m_itemRect.left, top, m_itemRect.right, top + 15};
        VQRenderEngine::DrawColoredText(hdc, m_manager, band, FormatString(L"%0.1f%%", fraction * 100.0), 0xFFFFFFFF,
                                        m_fonts[TextNormal], DT_CENTER | DT_SINGLELINE | DT_VCENTER);
        fill = static_cast<int>(fraction * kProgressWidth);
    }
    // A sliver of one to five pixels would not show the bar's round ends.
    if (fill >= 1 && fill <= 5) fill = 6;
    if (fill > kProgressWidth) fill = kProgressWidth;
    if (fill < 0) fill = 0;
    if (fill > 0)
        DrawImage(hdc, FormatString(L"res='%d' restype='PNG' corner='3,0,3,0' dest='%d,%d,%d,%d'", PicProgressFill,
                                    icon.left + 3, icon.top + 39, icon.left + 3 + fill, icon.bottom - 3));
    if (m_tileState == kTilePaused) DrawImage(hdc, ResPicture(PicDimLayer, icon));
}

// A tile in its plain look (its frame as set, the game's picture, still)
// blends frame and picture as one composed image: every repaint of a page
// would otherwise blend each frame's pixels and then the picture over them.
bool VQGameIcon::PaintComposedPicture(HDC hdc, const std::wstring& place) {
    if (m_addTile || m_dragImage || m_wobbleAngle != 0 || m_iconDescription.empty() || m_plainFrame.empty() ||
        IsOnQuickStrip() || GameKindOf(this) == kCustomGameKind || m_stateImages[ImageNormal] != m_plainFrame)
        return false;
    // The base draws the first state image whose state is on; only the
    // normal one may be drawn here.
    for (int index : {ImageDisabled, ImageSelected, ImagePushed, ImageHot, ImageFocused})
        if (!m_stateImages[index].empty()) return false;
    const RECT box = {m_itemRect.left + m_frameRect.left, m_itemRect.top + m_frameRect.top,
                      m_itemRect.left + m_frameRect.right, m_itemRect.top + m_frameRect.bottom};
    const std::wstring layers[] = {m_plainFrame, m_iconDescription + place};
    return VQRenderEngine::DrawComposedImages(hdc, m_itemRect, m_paintRect, box, layers, 2);
}

void VQGameIcon::PaintStatusImage(HDC hdc) {
    const RECT& icon = m_iconRect;
    const int kind = GameKindOf(this);
    const std::wstring place =
        kind == kCustomGameKind
            ? FormatString(L" rotate='%d'", m_wobbleAngle)
            : FormatString(L" dest='%d,%d,%d,%d' rotate='%d'", icon.left, icon.top, icon.right, icon.bottom,
                           m_wobbleAngle);
    const bool composed = PaintComposedPicture(hdc, place);
    if (!composed) VQContainer::PaintStatusImage(hdc);
    if (m_addTile) return;
    const bool quick = IsOnQuickStrip();
    const int listId = GetOwnerListId();
    const wchar_t* prefix = m_dragImage ? L"fade='150' " : L"";

    if (quick && !m_iconDescription.empty())
        DrawImage(hdc, prefix + m_iconDescription +
                           FormatString(L" reverse='true' source='0,0,48,24' fade='100' dest='%d,%d,%d,%d'", icon.left,
                                        icon.bottom + 1, icon.right, icon.bottom + 25));
    if (kind == kCustomGameKind)
        DrawImage(hdc, FormatString(L"res='%d' restype='PNG' dest='%d,%d,%d,%d' rotate='%d'", PicCustomGame, icon.left,
                                    icon.top, icon.right, icon.bottom, m_wobbleAngle));
    if (!composed && !m_iconDescription.empty()) {
        // The default picture is described only when the game's own fails.
        if (!DrawImage(hdc, prefix + m_iconDescription + place) &&
            !DrawImage(hdc, FormatString(L"res='%d' restype='PNG' dest='%d,%d,%d,%d' rotate='%d'", PicDefaultGame,
                                         icon.left, icon.top, icon.right, icon.bottom, m_wobbleAngle)))
            m_iconDescription.clear();
    }
    if (m_tileState == kTileWaiting || m_tileState == kTileDownloading || m_tileState == kTilePaused)
        PaintProgress(hdc);
    if (listId != IdInstalledList && (m_state & StateHot) &&
        ((quick && m_tileState == kTileInstalled) || (!quick && FindInstalledTwin(this))))
        DrawImage(hdc, ResPicture(PicInstalledMark, RECT{icon.left, icon.top + 29, icon.right, icon.bottom}));
    if (m_tileState == kTileInstalled && kind != kCustomGameKind && m_data.runCount == 0 && m_data.installTime != 0)
        DrawImage(hdc, ResPicture(PicNeverStartedBadge, m_badgeRect));
    else if (listId == IdDownloadList && m_tileState == kTileNotInstalled)
        DrawImage(hdc, ResPicture(PicNotInstalledBadge, m_badgeRect));
}

RECT VQGameIcon::TextArea() const {
    const RECT& padding = m_textPaddings[TextNormal];
    return RECT{m_itemRect.left + padding.left, m_itemRect.top + padding.top, m_itemRect.right - padding.right,
                m_itemRect.bottom - padding.bottom};
}

void VQGameIcon::PaintCaption(HDC hdc, const std::wstring& caption) {
    const RECT area = TextArea();
    const unsigned style = m_textStyle;
    std::wstring text = caption;
    if (!(m_textStyle & DT_CENTER)) {
        // Cut to what fits; no ellipsis, the caption rolls on hover instead.
        while (!text.empty() &&
               VQRenderEngine::MeasureText(hdc, m_manager, text, m_fonts[TextNormal]).cx > area.right - area.left)
            text.pop_back();
    }
    m_textStyle |= DT_CENTER;
    // A soft dark halo first, so the white caption reads on any picture of
    // the shelf; the quick strip's captions stand on their own band.
    if (!IsOnQuickStrip())
        VQRenderEngine::DrawTextShadow(hdc, m_manager, area, text, m_fonts[TextNormal], m_textStyle);
    VQRenderEngine::DrawColoredText(hdc, m_manager, area, text, m_textColors[TextNormal], m_fonts[TextNormal],
                                    m_textStyle);
    m_textStyle = style;
}

void VQGameIcon::PaintText(HDC hdc) {
    if (m_caption.empty()) return;
    const RECT area = TextArea();
    if (!m_rolling) {
        PaintCaption(hdc, m_caption);
        return;
    }
    const SIZE size = VQRenderEngine::MeasureText(hdc, m_manager, m_caption, m_fonts[TextNormal]);
    if (size.cx <= area.right - area.left) {
        StopRolling();
        PaintCaption(hdc, m_caption);
        return;
    }
    VQRenderClip clip;
    VQRenderEngine::ClipToRect(hdc, area, clip);
    const int step = size.cx + kRollGap;
    int offset = m_rollOffset % step;
    if (offset < 0) offset += step;
    for (int x = area.left - offset; x < area.right; x += step) {
        if (x + size.cx < area.left) continue;
        RECT copy = {x, area.top, x + size.cx, area.bottom};
        VQRenderEngine::DrawColoredText(hdc, m_manager, copy, m_caption, m_textColors[TextNormal], m_fonts[TextNormal],
                                        m_textStyle & ~static_cast<unsigned>(DT_CENTER));
    }
    VQRenderEngine::RestoreClip(hdc, clip);
}

}  // namespace Tessar
