// VQRichEdit: creation of the text services, text in and out, layout,
// painting and the control's own events.
#include "ui/RichEdit.h"

#include <algorithm>

#include "ui/MarkupValue.h"
#include "ui/PaintClip.h"
#include "ui/PaintManager.h"
#include "ui/ScrollBar.h"
#include "ui/TxtWinHost.h"

namespace Tessar {

VQRichEdit::VQRichEdit() {
    SetFlag(FlagSetCursor, true);
    SetFlag(FlagTabStop, true);
}

VQRichEdit::~VQRichEdit() {
    if (m_host) {
        // Freed in the middle of a drag selection: the window lets the mouse go.
        if (m_host->IsCaptured() && m_manager) m_manager->ReleaseCapture();
        VQTxtWinHost* host = m_host;
        m_host = nullptr;
        host->Destroy();
    }
    if (m_manager) m_manager->RemoveMessageFilter(this);
}

VQControl* VQRichEdit::GetInterface(int type) {
    if (type == ControlTypeRichEdit) return this;
    return VQContainer::GetInterface(type);
}

VQControl* VQRichEdit::FindControl(VQFindControlProc proc, void* data, unsigned flags) {
    // A disabled rich edit is still hit: only its children need to be enabled.
    const unsigned own = flags & ~static_cast<unsigned>(FindEnabled);
    if ((flags & FindVisible) && !IsVisible()) return nullptr;
    if (flags & FindHitTest) {
        const POINT* pt = static_cast<const POINT*>(data);
        if (!pt || !::PtInRect(&m_itemRect, *pt)) return nullptr;
    }
    VQControl* result = nullptr;
    if (m_verticalBar && (result = m_verticalBar->FindControl(proc, data, flags))) return result;
    if (m_horizontalBar && (result = m_horizontalBar->FindControl(proc, data, flags))) return result;
    if ((flags & FindMeFirst) && (result = VQControl::FindControl(proc, data, own))) return result;
    if (flags & FindHitTest) {
        RECT rc = {m_itemRect.left + m_inset.left, m_itemRect.top + m_inset.top, m_itemRect.right - m_inset.right,
                   m_itemRect.bottom - m_inset.bottom};
        if (!::PtInRect(&rc, *static_cast<const POINT*>(data))) return VQControl::FindControl(proc, data, own);
    }
    if (flags & FindLastFirst) {
        for (int i = GetCount() - 1; i >= 0; --i)
            if (i < GetCount() && (result = m_children[i]->FindControl(proc, data, flags))) return result;
    } else {
        for (int i = 0; i < GetCount(); ++i)
            if ((result = m_children[i]->FindControl(proc, data, flags))) return result;
    }
    return VQControl::FindControl(proc, data, own);
}

void VQRichEdit::DoInit() {
    // Attaching a second notifier runs DoInit again: one host per control.
    if (!m_host) {
        m_host = VQTxtWinHost::CreateHost(this);
        if (!m_host) return;
        if (!::IsRectEmpty(&m_itemRect)) SetPos(m_itemRect.left, m_itemRect.top, m_itemRect.right, m_itemRect.bottom);
        m_host->SetFlag(TxtHostTransparent, true);
        m_host->GetTextServices()->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
        LRESULT ignored = 0;
        TxSendMessage(EM_SETLANGOPTIONS, 0, 0, &ignored);
        if (m_eventChange) SetEventMaskBit(ENM_CHANGE, true);
        ActivateInPlace();
    }
    if (m_manager) m_manager->AddMessageFilter(this);
    VQContainer::DoInit();
}

void VQRichEdit::ActivateInPlace() {
    if (!m_host) return;
    if (FAILED(m_host->GetTextServices()->OnTxInPlaceActivate(nullptr)))
        m_host->SetFlag(TxtHostInPlaceActive, false);
    else
        m_host->SetFlag(TxtHostInPlaceActive, true);
}

void VQRichEdit::SetEventMaskBit(DWORD bit, bool on) {
    if (!m_host) return;
    LRESULT mask = 0;
    TxSendMessage(EM_GETEVENTMASK, 0, 0, &mask);
    mask = on ? (mask | bit) : (mask & ~static_cast<LRESULT>(bit));
    LRESULT ignored = 0;
    TxSendMessage(EM_SETEVENTMASK, 0, mask, &ignored);
}

std::wstring VQRichEdit::GetText() const {
    if (!m_host) return m_text;
    ITextServices* services = m_host->GetTextServices();
    GETTEXTLENGTHEX lengthRequest = {GTL_DEFAULT, 1200};
    LRESULT length = 0;
    services->TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthRequest), 0, &length);
    if (length <= 0) return std::wstring();
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX textRequest = {};
    textRequest.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    textRequest.flags = GT_DEFAULT;
    textRequest.codepage = 1200;
    LRESULT copied = 0;
    services->TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&textRequest),
                            reinterpret_cast<LPARAM>(&buffer[0]), &copied);
    buffer.resize(wcslen(buffer.c_str()));
    return buffer;
}

void VQRichEdit::SetText(const std::wstring& text) {
    m_text = text;
    if (!m_host) return;
    LRESULT ignored = 0;
    CHARRANGE all = {0, -1};
    TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all), &ignored);
    TxSendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()), &ignored);
}

void VQRichEdit::SetNormalTextColor(uint32_t color) {
    VQContainer::SetNormalTextColor(color);
    if (m_host) m_host->SetTextColor(color);
}

uint32_t VQRichEdit::StateTextColor() const {
    // A state colour of 0 is one the skin did not set: the normal colour
    // stands in, so focusing an edit never turns its text black.
    uint32_t color = 0;
    if (m_state & StateDisabled)
        color = m_textColors[TextDisabled];
    else if (m_state & StateSelected)
        color = m_textColors[TextSelected];
    else if (m_state & StatePushed)
        color = m_textColors[TextPushed];
    else if (m_state & StateHot)
        color = m_textColors[TextHot];
    return color != 0 ? color : m_textColors[TextNormal];
}

void VQRichEdit::PaintText(HDC) {
    if (!m_colorDirty || !m_host) return;
    m_colorDirty = false;
    m_host->SetTextColor(StateTextColor());
}

void VQRichEdit::PaintStatusImage(HDC hdc) {
    // The first image that applies and draws; one that fails is dropped.
    struct Candidate {
        bool applies;
        int index;
    } candidates[] = {
        {(m_state & StateSelected) != 0, ImageSelected},
        {(m_state & StateDisabled) != 0 || m_readOnly, ImageDisabled},
        {(m_state & StatePushed) != 0, ImagePushed},
        {(m_state & StateHot) != 0, ImageHot},
        {(m_state & StateFocused) != 0, ImageFocused},
        {true, ImageNormal},
    };
    for (const Candidate& c : candidates) {
        std::wstring& image = m_stateImages[c.index];
        if (!c.applies || image.empty()) continue;
        if (DrawImage(hdc, image)) return;
        image.clear();
    }
}

void VQRichEdit::DoPaint(HDC hdc, const RECT& paintRect) {
    RECT area;
    if (!IsVisible() || !::IntersectRect(&area, &paintRect, &m_itemRect)) return;
    int itemClip = ClipTo(hdc, area);
    VQControl::DoPaint(hdc, paintRect);
    if (m_host) {
        RECT client = m_host->GetClientRect();
        RECT update = paintRect;
        m_host->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hdc, nullptr,
                                          reinterpret_cast<LPCRECTL>(&client), nullptr, &update, nullptr, 0,
                                          TXTVIEW_ACTIVE);
    }
    if (!m_children.empty()) {
        RECT inner = GetClientArea();
        int innerClip = ClipTo(hdc, inner);
        for (size_t i = 0; i < m_children.size(); ++i) {
            VQControl* child = m_children[i];
            if (!child->IsVisible() || !Meets(child->GetPos(), paintRect)) continue;
            if (!IsFloating(child) && !Meets(child->GetPos(), inner)) continue;
            child->DoPaint(hdc, paintRect);
        }
        ::RestoreDC(hdc, innerClip);
    }
    if (IsBarVisible(m_verticalBar) && Meets(paintRect, m_verticalBar->GetPos()))
        m_verticalBar->DoPaint(hdc, paintRect);
    if (IsBarVisible(m_horizontalBar) && Meets(paintRect, m_horizontalBar->GetPos()))
        m_horizontalBar->DoPaint(hdc, paintRect);
    ::RestoreDC(hdc, itemClip);
}

void VQRichEdit::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    RECT inner = GetClientArea();
    if (m_host) {
        const RECT& pad = m_textPaddings[TextNormal];
        RECT client = {inner.left + pad.left, inner.top + pad.top, inner.right - pad.right, inner.bottom - pad.bottom};
        if (client.right < client.left) client.right = client.left;
        if (client.bottom < client.top) client.bottom = client.top;
        m_host->SetClientRect(client);
    }
    if (IsBarVisible(m_verticalBar))
        m_verticalBar->SetPos(inner.right, inner.top, inner.right + m_verticalBar->GetFixedWidth(), inner.bottom);
    if (IsBarVisible(m_horizontalBar))
        m_horizontalBar->SetPos(inner.left, inner.bottom, inner.right,
                                inner.bottom + m_horizontalBar->GetFixedHeight());
    for (size_t i = 0; i < m_children.size(); ++i) {
        VQControl* child = m_children[i];
        if (!child->IsVisible()) continue;
        if (IsFloating(child)) {
            SetFloatPos(child, inner);
            continue;
        }
        RECT pad = child->GetPadding();
        SIZE size = child->GetFixedSize(inner.right - inner.left, inner.bottom - inner.top);
        if (size.cx == 0) size.cx = inner.right - inner.left - pad.right;
        if (size.cy == 0) size.cy = inner.bottom - inner.top - pad.bottom;
        child->SetPos(inner.left + pad.left, inner.top + pad.top, inner.left + size.cx, inner.top + size.cy);
    }
}

void VQRichEdit::OnSetFocus(VQEvent& event) {
    if (m_host) {
        if (!m_host->TestFlag(TxtHostInPlaceActive)) ActivateInPlace();
        LRESULT ignored = 0;
        TxSendMessage(WM_SETFOCUS, 0, 0, &ignored);
    }
    m_state |= StateSelected;
    m_colorDirty = true;
    VQContainer::OnSetFocus(event);
}

void VQRichEdit::OnKillFocus(VQEvent& event) {
    if (m_host) {
        if (!m_host->TestFlag(TxtHostInPlaceActive)) ActivateInPlace();
        LRESULT ignored = 0;
        TxSendMessage(WM_KILLFOCUS, 0, 0, &ignored);
    }
    m_state &= ~StateSelected;
    m_colorDirty = true;
    VQContainer::OnKillFocus(event);
}

void VQRichEdit::OnMouseEnter(VQEvent&) {
    if (!IsEnabled()) return;
    m_state |= StateHot;
    if (!(m_state & StateSelected)) m_colorDirty = true;
    Invalidate();
}

void VQRichEdit::OnMouseLeave(VQEvent&) {
    if (!IsEnabled()) return;
    if (m_state & StateHot) m_state &= ~StateHot;
    if (!(m_state & StateSelected)) m_colorDirty = true;
    Invalidate();
}

void VQRichEdit::OnLButtonDown(VQEvent& event) {
    m_focused = true;
    Invalidate();
    if (m_manager && TestNotifyBit(NotifySetFocus)) m_manager->SendNotify(this, NotifySetFocus, 0, 0);
    if (ShouldForward(EventSetFocus)) {
        event.sender = this;
        event.forwardedFrom = this;
        m_parent->OnSetFocus(event);
    }
}

void VQRichEdit::OnSetCursor(VQEvent& event) {
    if (m_host && m_manager) {
        RECT client = m_host->GetClientRect();
        if (::PtInRect(&client, event.mouse)) {
            m_host->GetTextServices()->OnTxSetCursor(DVASPECT_CONTENT, 0, nullptr, nullptr, m_manager->GetPaintDC(),
                                                     nullptr, &client, event.mouse.x, event.mouse.y);
            return;
        }
    }
    VQContainer::OnSetCursor(event);
}

void VQRichEdit::OnMouseMove(VQEvent&) {}

void VQRichEdit::OnTimer(VQEvent& event) {
    const UINT id = static_cast<UINT>(event.wParam);
    bool servicesTimer = false;
    if (m_host) {
        servicesTimer = m_host->IsServicesTimer(id);
        LRESULT ignored = 0;
        TxSendMessage(WM_TIMER, event.wParam, event.lParam, &ignored);
    }
    // A timer of the text services is theirs alone: as an animation kind it
    // would move the control and kill their timer.
    if (!servicesTimer) OnAnimationTimer(id);
    if (ShouldForward(EventTimer)) {
        event.forwardedFrom = this;
        m_parent->OnTimer(event);
    }
}

void VQRichEdit::Scroll(UINT message, WORD code, void (VQContainer::*fallback)()) {
    if (!m_host) {
        (this->*fallback)();
        return;
    }
    LRESULT ignored = 0;
    TxSendMessage(message, MAKEWPARAM(code, 0), 0, &ignored);
}

void VQRichEdit::SetScrollPos(SIZE pos) {
    if (!m_host) {
        VQContainer::SetScrollPos(pos);
        return;
    }
    SIZE current = GetScrollPos();
    LRESULT ignored = 0;
    if (IsBarVisible(m_verticalBar) && pos.cy != current.cy)
        TxSendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, std::max<LONG>(0, pos.cy)), 0, &ignored);
    if (IsBarVisible(m_horizontalBar) && pos.cx != current.cx)
        TxSendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, std::max<LONG>(0, pos.cx)), 0, &ignored);
}

void VQRichEdit::LineUp() { Scroll(WM_VSCROLL, SB_LINEUP, &VQContainer::LineUp); }
void VQRichEdit::LineDown() { Scroll(WM_VSCROLL, SB_LINEDOWN, &VQContainer::LineDown); }
void VQRichEdit::PageUp() { Scroll(WM_VSCROLL, SB_PAGEUP, &VQContainer::PageUp); }
void VQRichEdit::PageDown() { Scroll(WM_VSCROLL, SB_PAGEDOWN, &VQContainer::PageDown); }
void VQRichEdit::HomeUp() { Scroll(WM_VSCROLL, SB_TOP, &VQContainer::HomeUp); }
void VQRichEdit::EndDown() { Scroll(WM_VSCROLL, SB_BOTTOM, &VQContainer::EndDown); }
void VQRichEdit::LineLeft() { Scroll(WM_HSCROLL, SB_LINELEFT, &VQContainer::LineLeft); }
void VQRichEdit::LineRight() { Scroll(WM_HSCROLL, SB_LINERIGHT, &VQContainer::LineRight); }
void VQRichEdit::PageLeft() { Scroll(WM_HSCROLL, SB_PAGELEFT, &VQContainer::PageLeft); }
void VQRichEdit::PageRight() { Scroll(WM_HSCROLL, SB_PAGERIGHT, &VQContainer::PageRight); }
void VQRichEdit::HomeLeft() { Scroll(WM_HSCROLL, SB_LEFT, &VQContainer::HomeLeft); }
void VQRichEdit::EndRight() { Scroll(WM_HSCROLL, SB_RIGHT, &VQContainer::EndRight); }

void VQRichEdit::SetStyleBit(DWORD bit, bool on) {
    if (on)
        m_style |= bit;
    else
        m_style &= ~bit;
}

void VQRichEdit::SetAttribute(const std::wstring& name, const std::wstring& value) {
    const bool on = ParseMarkupBool(value);
    if (name == L"vscrollbar") {
        if (on) SetStyleBit(WS_VSCROLL | ES_DISABLENOSCROLL, true);
    } else if (name == L"autovscroll") {
        if (on) SetStyleBit(ES_AUTOVSCROLL, true);
    } else if (name == L"hscrollbar") {
        if (on) SetStyleBit(WS_HSCROLL | ES_DISABLENOSCROLL, true);
    } else if (name == L"autohscroll") {
        if (on) SetStyleBit(ES_AUTOHSCROLL, true);
    } else if (name == L"wanttab") {
        m_wantTab = on;
    } else if (name == L"wantreturn") {
        m_wantReturn = on;
    } else if (name == L"wantctrlreturn") {
        m_wantCtrlReturn = on;
    } else if (name == L"rich") {
        m_rich = on;
        if (m_host) {
            m_host->SetFlag(TxtHostRichText, on);
            // The new value, not the mask: a property turned off stays off.
            m_host->NotifyPropertyChange(TXTBIT_RICHTEXT, on);
        }
    } else if (name == L"multiline") {
        if (value == L"false") SetStyleBit(ES_MULTILINE, false);
    } else if (name == L"readonly") {
        m_readOnly = on;
        SetStyleBit(ES_READONLY, on);
        if (m_host) {
            m_host->SetStyleBit(ES_READONLY, on);
            m_host->NotifyPropertyChange(TXTBIT_READONLY, on);
        }
    } else if (name == L"password") {
        m_password = on;
        SetStyleBit(ES_PASSWORD, on);
        if (m_host) {
            m_host->SetStyleBit(ES_PASSWORD, on);
            m_host->NotifyPropertyChange(TXTBIT_USEPASSWORD, on);
        }
    } else if (name == L"limittext") {
        m_textLimit = _wtoi(value.c_str());
        if (m_host) {
            m_host->SetMaxLength(m_textLimit);
            m_host->ApplyMaxLength();
        }
    } else if (name == L"align") {
        if (value.find(L"left") != std::wstring::npos) SetStyleBit(ES_CENTER | ES_RIGHT, false);
        if (value.find(L"center") != std::wstring::npos) {
            SetStyleBit(ES_RIGHT, false);
            SetStyleBit(ES_CENTER, true);
        }
        if (value.find(L"right") != std::wstring::npos) {
            SetStyleBit(ES_CENTER, false);
            SetStyleBit(ES_RIGHT, true);
        }
    } else if (name == L"event_change") {
        m_eventChange = on;
        SetEventMaskBit(ENM_CHANGE, on);
    } else {
        VQContainer::SetAttribute(name, value);
    }
}

}  // namespace Tessar
