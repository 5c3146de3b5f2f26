#include "ui/Container.h"

#include <algorithm>

#include "ui/MarkupValue.h"
#include "ui/PaintClip.h"
#include "ui/PaintManager.h"
#include "ui/RenderEngine.h"
#include "ui/ScrollBar.h"

namespace Tessar {

bool IsFloating(const VQControl* control) {
    return control->IsFloat() || control->IsRelFloat() || control->IsAbsFloat();
}

VQContainer::VQContainer() {}

VQContainer::~VQContainer() {
    RemoveAll();
    delete m_verticalBar;
    delete m_horizontalBar;
}

VQControl* VQContainer::GetInterface(int type) {
    if (type == ControlTypeContainer) return this;
    return VQControl::GetInterface(type);
}

VQControl* VQContainer::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_children[index];
}

int VQContainer::GetItemIndex(VQControl* control) const {
    auto it = std::find(m_children.begin(), m_children.end(), control);
    return it == m_children.end() ? -1 : static_cast<int>(it - m_children.begin());
}

bool VQContainer::SetItemIndex(VQControl* control, int index) {
    int current = GetItemIndex(control);
    if (current < 0) return false;
    m_children.erase(m_children.begin() + current);
    index = std::max(0, std::min(index, GetCount()));
    m_children.insert(m_children.begin() + index, control);
    NeedUpdate();
    return true;
}

bool VQContainer::Add(VQControl* control) {
    return AddAt(control, GetCount());
}

bool VQContainer::AddAt(VQControl* control, int index) {
    if (!control) return false;
    control->SetParent(this);
    if (m_manager) m_manager->InitControls(control);
    index = std::max(0, std::min(index, GetCount()));
    m_children.insert(m_children.begin() + index, control);
    NeedUpdate();
    return true;
}

bool VQContainer::Remove(VQControl* control) {
    auto it = std::find(m_children.begin(), m_children.end(), control);
    if (it == m_children.end()) return false;
    // Out of the list first, so a destructor that looks at its parent
    // never finds itself still listed.
    m_children.erase(it);
    if (m_autoDestroy) delete control;
    return true;
}

bool VQContainer::RemoveAt(int index) {
    VQControl* control = GetItemAt(index);
    return control ? Remove(control) : false;
}

void VQContainer::RemoveAll() {
    std::vector<VQControl*> children;
    children.swap(m_children);
    if (m_autoDestroy)
        for (VQControl* child : children) delete child;
}

void VQContainer::SetInset(int left, int top, int right, int bottom) {
    m_inset = {left, top, right, bottom};
    NeedUpdate();
}

void VQContainer::SetChildPadding(int padding) {
    m_childPadding = padding;
    NeedUpdate();
}

void VQContainer::SetParent(VQControl* parent) {
    VQControl::SetParent(parent);
    for (VQControl* child : m_children) child->SetParent(this);
    if (m_verticalBar) m_verticalBar->SetParent(this);
    if (m_horizontalBar) m_horizontalBar->SetParent(this);
}

void VQContainer::SetManager(VQPaintManager* manager) {
    for (VQControl* child : m_children) child->SetManager(manager);
    if (m_verticalBar) m_verticalBar->SetManager(manager);
    if (m_horizontalBar) m_horizontalBar->SetManager(manager);
    VQControl::SetManager(manager);
}

void VQContainer::DoInit() {
    for (size_t i = 0; i < m_children.size(); ++i) m_children[i]->DoInit();
}

void VQContainer::EnableScrollBar(bool vertical, bool horizontal) {
    VQScrollbar** bars[2] = {&m_verticalBar, &m_horizontalBar};
    const bool wanted[2] = {vertical, horizontal};
    for (int i = 0; i < 2; ++i) {
        VQScrollbar*& bar = *bars[i];
        if (!wanted[i]) {
            delete bar;
            bar = nullptr;
            continue;
        }
        if (bar) continue;
        bar = new VQScrollbar;
        bar->SetOwner(this);
        bar->SetManager(m_manager);
        bar->SetParent(this);
        if (i == 1) {
            bar->SetHorizontal(true);
            if (bar->GetFixedHeight() == 0) {
                bar->SetFixedWidth(0);
                bar->SetFixedHeight(16);
            }
        }
        if (m_manager) {
            std::wstring defaults = m_manager->GetDefaultAttributeList(i == 0 ? L"VScrollBar" : L"HScrollBar");
            if (!defaults.empty()) bar->ApplyAttributeList(defaults);
        }
    }
    NeedUpdate();
}

void VQContainer::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"inset") {
        RECT rc = ParseMarkupRect(value);
        SetInset(rc.left, rc.top, rc.right, rc.bottom);
    } else if (name == L"layouttype") {
        SetLayoutType(ParseMarkupInt(value));
    } else if (name == L"vscrollbar") {
        EnableScrollBar(ParseMarkupBool(value), m_horizontalBar != nullptr);
    } else if (name == L"hscrollbar") {
        EnableScrollBar(m_verticalBar != nullptr, ParseMarkupBool(value));
    } else if (name == L"vscrollbarstyle") {
        EnableScrollBar(true, m_horizontalBar != nullptr);
        m_verticalBar->ApplyAttributeList(value);
    } else if (name == L"hscrollbarstyle") {
        EnableScrollBar(m_verticalBar != nullptr, true);
        m_horizontalBar->ApplyAttributeList(value);
    } else if (name == L"autodestroy") {
        SetAutoDestroy(ParseMarkupBool(value));
    } else if (name == L"childpadding") {
        SetChildPadding(ParseMarkupInt(value));
    } else {
        VQControl::SetAttribute(name, value);
    }
}

bool VQContainer::IsBarVisible(const VQScrollbar* bar) const {
    return bar && bar->IsVisible();
}

RECT VQContainer::GetClientArea() const {
    RECT rc = {m_itemRect.left + m_inset.left, m_itemRect.top + m_inset.top, m_itemRect.right - m_inset.right,
               m_itemRect.bottom - m_inset.bottom};
    if (IsBarVisible(m_verticalBar)) rc.right -= m_verticalBar->GetFixedWidth();
    if (IsBarVisible(m_horizontalBar)) rc.bottom -= m_horizontalBar->GetFixedHeight();
    return rc;
}

VQControl* VQContainer::FindControl(VQFindControlProc proc, void* data, unsigned flags) {
    if ((flags & FindVisible) && !IsVisible()) return nullptr;
    if ((flags & FindEnabled) && !IsEnabled()) return nullptr;
    if (flags & FindHitTest) {
        const POINT* pt = static_cast<const POINT*>(data);
        if (!pt || !::PtInRect(&m_itemRect, *pt)) return nullptr;
    }
    VQControl* result = nullptr;
    if (m_verticalBar && (result = m_verticalBar->FindControl(proc, data, flags))) return result;
    if (m_horizontalBar && (result = m_horizontalBar->FindControl(proc, data, flags))) return result;
    if (flags & FindMeFirst) {
        if ((result = VQControl::FindControl(proc, data, flags))) return result;
    }
    if (flags & FindHitTest) {
        RECT rc = {m_itemRect.left + m_inset.left, m_itemRect.top + m_inset.top, m_itemRect.right - m_inset.right,
                   m_itemRect.bottom - m_inset.bottom};
        if (!::PtInRect(&rc, *static_cast<const POINT*>(data))) return VQControl::FindControl(proc, data, flags);
    }
    // By index: a callback may add or remove children during the walk.
    if (flags & FindLastFirst) {
        for (int i = GetCount() - 1; i >= 0; --i) {
            if (i >= GetCount()) continue;
            if ((result = m_children[i]->FindControl(proc, data, flags))) return result;
        }
    } else {
        for (int i = 0; i < GetCount(); ++i)
            if ((result = m_children[i]->FindControl(proc, data, flags))) return result;
    }
    return VQControl::FindControl(proc, data, flags);
}

void VQContainer::OnMouseWheel(VQEvent& event) {
    if (m_verticalBar && m_verticalBar->IsVisible() && m_verticalBar->IsEnabled()) {
        if (event.wParam == 0) { LineUp(); return; }
        if (event.wParam == 1) { LineDown(); return; }
    } else if (m_horizontalBar && m_horizontalBar->IsVisible() && m_horizontalBar->IsEnabled()) {
        if (event.wParam == 0) { LineLeft(); return; }
        if (event.wParam == 1) { LineRight(); return; }
    }
    if (ShouldForward(EventMouseWheel)) {
        event.forwardedFrom = this;
        m_parent->OnMouseWheel(event);
    }
}

void VQContainer::OnKeyDown(VQEvent& event) {
    if (m_verticalBar && m_verticalBar->IsVisible() && m_verticalBar->IsEnabled()) {
        switch (event.keyChar) {
        case VK_PRIOR: PageUp(); break;
        case VK_NEXT: PageDown(); break;
        case VK_END: EndDown(); break;
        case VK_HOME: HomeUp(); break;
        case VK_UP: LineUp(); break;
        case VK_DOWN: LineDown(); break;
        default: break;
        }
    } else if (m_horizontalBar && m_horizontalBar->IsVisible() && m_horizontalBar->IsEnabled()) {
        switch (event.keyChar) {
        case VK_PRIOR: PageLeft(); break;
        case VK_NEXT: PageRight(); break;
        case VK_END: EndRight(); break;
        case VK_HOME: HomeLeft(); break;
        case VK_UP: LineLeft(); break;
        case VK_DOWN: LineRight(); break;
        default: break;
        }
    }
}

void VQContainer::DoPaint(HDC hdc, const RECT& paintRect) {
    RECT area;
    if (!IsVisible() || !::IntersectRect(&area, &paintRect, &m_itemRect)) return;
    // Clip regions are kept and put back by hand: SaveDC and RestoreDC
    // would also select the fonts and bitmaps back, which costs more than
    // the drawing of a small control.
    VQRenderClip itemClip;
    VQRenderEngine::ClipToRect(hdc, area, itemClip);
    VQControl::DoPaint(hdc, paintRect);
    if (!m_children.empty()) {
        RECT client = GetClientArea();
        bool meetsClient = Meets(paintRect, client);
        VQRenderClip clientClip;
        if (meetsClient) VQRenderEngine::ClipToRect(hdc, client, clientClip);
        auto paintChild = [&](VQControl* child) {
            RECT pos = child->GetPos();
            if (!IsFloating(child)) {
                if (meetsClient && Meets(pos, client)) child->DoPaint(hdc, paintRect);
                return;
            }
            if (!Meets(pos, m_itemRect)) return;
            if (meetsClient) {
                VQRenderEngine::RestoreClip(hdc, clientClip);
                VQRenderClip floatClip;
                VQRenderEngine::ClipToRect(hdc, m_itemRect, floatClip);
                child->DoPaint(hdc, paintRect);
                VQRenderEngine::RestoreClip(hdc, floatClip);
                VQRenderEngine::ClipToRect(hdc, client, clientClip);
            } else {
                child->DoPaint(hdc, paintRect);
            }
        };
        std::vector<VQControl*> topmost;
        for (size_t i = 0; i < m_children.size(); ++i) {
            VQControl* child = m_children[i];
            if (!child->IsVisible() || !Meets(child->GetPos(), paintRect)) continue;
            if (child->m_format & FormatTopmost) {
                topmost.push_back(child);
                continue;
            }
            paintChild(child);
        }
        for (VQControl* child : topmost) paintChild(child);
        VQRenderEngine::RestoreClip(hdc, clientClip);
    }
    if (IsBarVisible(m_verticalBar) && Meets(paintRect, m_verticalBar->GetPos()))
        m_verticalBar->DoPaint(hdc, paintRect);
    if (IsBarVisible(m_horizontalBar) && Meets(paintRect, m_horizontalBar->GetPos()))
        m_horizontalBar->DoPaint(hdc, paintRect);
    VQRenderEngine::RestoreClip(hdc, itemClip);
}

}  // namespace Tessar
