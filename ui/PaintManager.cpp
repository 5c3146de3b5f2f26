#include "ui/PaintManager.h"

#include <algorithm>

#include "ui/Container.h"

namespace Tessar {

std::vector<VQPaintManager*>& VQPaintManager::Managers() {
    static std::vector<VQPaintManager*> managers;
    return managers;
}

VQPaintManager::VQPaintManager() : m_debugPen(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0))) {}

VQPaintManager::~VQPaintManager() {
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    if (m_debugPen) ::DeleteObject(m_debugPen);
    for (auto& entry : m_fonts) ::DeleteObject(entry.second->font);
    m_fonts.clear();
    if (m_ownsDefaultFont) ::DeleteObject(m_defaultFont);
    m_defaultFont = m_defaultBoldFont = m_defaultLinkFont = nullptr;
    RemoveAllTimers();
    RemoveAllOptionGroups();
    DeleteDelayedCleanup();
    VQControl* root = m_root;
    m_root = nullptr;
    delete root;
    DeleteOffscreenBitmap();
    if (m_windowDC) ::ReleaseDC(m_hostWindow, m_windowDC);
    if (m_toolTipWindow && ::IsWindow(m_toolTipWindow)) ::DestroyWindow(m_toolTipWindow);
    m_toolTipWindow = m_activeToolTip = nullptr;
    m_nameMap.clear();
    m_idMap.clear();
    m_notifiers.clear();
    m_filters.clear();
    m_defaultAttributes.clear();
}

void VQPaintManager::Init(HWND hwnd) {
    // A window whose own code and the skinned-window helper both call this
    // keeps one DC and one place in the pre-translation list.
    if (hwnd == m_hostWindow && m_windowDC) return;
    if (m_windowDC) ::ReleaseDC(m_hostWindow, m_windowDC);
    m_hostWindow = hwnd;
    ForgetInvalid();
    m_windowDC = ::GetDC(hwnd);
    AddPreTranslate(this);
}

bool VQPaintManager::AttachRootControl(VQControl* control) {
    SetFocus(nullptr);
    m_keyPressed = m_hover = m_leftPressed = m_rightPressed = nullptr;
    m_hoverTracked = nullptr;
    HideToolTip();
    if (m_root) AddDelayedCleanup(m_root);
    m_root = control;
    m_rootInitialised = false;
    m_sizeChanged = true;
    m_firstPaintPending = true;
    m_tabPending = true;
    if (m_root) {
        m_root->SetManager(this);
        FillMaps(m_root);
        // A window that is already listening gets the new root initialised
        // now; otherwise its AddNotifier does it.
        if (!m_notifiers.empty()) {
            m_rootInitialised = true;
            m_root->DoInit();
        }
    }
    return true;
}

bool VQPaintManager::InitControls(VQControl* control) {
    if (!control) return false;
    control->SetManager(this);
    FillMaps(control);
    // Added after the root was initialised (a page filled after the window
    // opened): initialise it too, once it hangs in the tree.
    if (m_rootInitialised && control != m_root && IsInTree(control)) control->DoInit();
    return true;
}

bool VQPaintManager::IsInTree(const VQControl* control) const {
    while (control && control->GetParent()) control = control->GetParent();
    return control && control == m_root;
}

void VQPaintManager::FillMaps(VQControl* control) {
    struct Walk {
        static VQControl* Names(VQControl* c, void* data) {
            auto& map = static_cast<VQPaintManager*>(data)->m_nameMap;
            if (!c->GetName().empty()) map.emplace(c->GetName(), c);
            return nullptr;
        }
        static VQControl* Ids(VQControl* c, void* data) {
            auto& map = static_cast<VQPaintManager*>(data)->m_idMap;
            if (c->GetId() != 0) map.emplace(c->GetId(), c);
            return nullptr;
        }
    };
    control->FindControl(&Walk::Names, this, 0);
    control->FindControl(&Walk::Ids, this, 0);
}

void VQPaintManager::ReapControl(VQControl* control) {
    if (!control) return;
    if (m_keyPressed == control) m_keyPressed = nullptr;
    if (m_hover == control) m_hover = nullptr;
    if (m_hoverTracked == control) m_hoverTracked = nullptr;
    if (m_leftPressed == control) m_leftPressed = nullptr;
    if (m_rightPressed == control) m_rightPressed = nullptr;
    if (m_focus == control) m_focus = nullptr;
    auto byName = m_nameMap.find(control->GetName());
    if (byName != m_nameMap.end() && byName->second == control) m_nameMap.erase(byName);
    auto byId = m_idMap.find(control->GetId());
    if (byId != m_idMap.end() && byId->second == control) m_idMap.erase(byId);
    // A freed control must never get another timer event or be freed twice.
    KillTimersOf(control);
    std::replace(m_delayedCleanup.begin(), m_delayedCleanup.end(), control, static_cast<VQControl*>(nullptr));
}

bool VQPaintManager::AddNotifier(INotify* notifier) {
    if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) return false;
    m_notifiers.push_back(notifier);
    // Once per root, however many listeners the window registers.
    if (m_root && !m_rootInitialised) {
        m_rootInitialised = true;
        m_root->DoInit();
    }
    return true;
}

bool VQPaintManager::AddMessageFilter(IWindowMessageFilter* filter) {
    if (std::find(m_filters.begin(), m_filters.end(), filter) != m_filters.end()) return false;
    m_filters.push_back(filter);
    return true;
}

bool VQPaintManager::RemoveMessageFilter(IWindowMessageFilter* filter) {
    auto it = std::find(m_filters.begin(), m_filters.end(), filter);
    if (it == m_filters.end()) return false;
    m_filters.erase(it);
    return true;
}

VQControl* VQPaintManager::FindControlById(int id) const {
    auto it = m_idMap.find(id);
    return it == m_idMap.end() ? nullptr : it->second;
}

VQControl* VQPaintManager::FindControlByName(const std::wstring& name) const {
    auto it = m_nameMap.find(name);
    return it == m_nameMap.end() ? nullptr : it->second;
}

VQControl* VQPaintManager::FindControlAt(int x, int y) const {
    if (!m_root) return nullptr;
    struct Hit {
        static VQControl* Test(VQControl* c, void* data) {
            RECT rc = c->GetPos();
            return ::PtInRect(&rc, *static_cast<POINT*>(data)) ? c : nullptr;
        }
    };
    POINT pt = {x, y};
    return m_root->FindControl(&Hit::Test, &pt, FindVisible | FindEnabled | FindHitTest | FindLastFirst);
}

void VQPaintManager::SetFocus(VQControl* control) {
    if (::GetFocus() != m_hostWindow && control != m_focus && m_hostWindow) ::SetFocus(m_hostWindow);
    if (control == m_focus) return;
    if (m_focus) {
        VQControl* old = m_focus;
        m_focus = nullptr;
        SendEvent(old, EventKillFocus, control);
    }
    if (control && Owns(control) && control->IsVisible() && control->IsEnabled()) {
        m_focus = control;
        SendEvent(control, EventSetFocus, control);
    }
}

bool VQPaintManager::MoveFocus(bool forward) {
    if (m_sizeChanged && forward) {
        m_tabPending = true;
        InvalidateWindow();
        return false;
    }
    m_tabPending = false;
    if (!m_root) return false;
    struct TabWalk {
        VQControl* focus;
        VQControl* last;
        bool forward;
        bool found;
        static VQControl* Visit(VQControl* c, void* data) {
            TabWalk* walk = static_cast<TabWalk*>(data);
            if (c == walk->focus) {
                if (!walk->forward) return walk->last;
                walk->found = true;
            } else if (c->TestFlag(FlagTabStop)) {
                walk->last = c;
                if (walk->found || !walk->focus) return c;
            }
            return nullptr;
        }
    };
    const unsigned flags = FindMeFirst | FindVisible | FindEnabled;
    TabWalk walk = {m_focus, nullptr, forward, false};
    VQControl* next = m_root->FindControl(&TabWalk::Visit, &walk, flags);
    if (!next) {
        if (forward) {
            TabWalk wrap = {nullptr, nullptr, true, false};
            next = m_root->FindControl(&TabWalk::Visit, &wrap, flags);
        } else {
            next = walk.last;
        }
    }
    if (!next) return false;
    next->SetFocus();
    return true;
}

void VQPaintManager::SetCapture() {
    ::SetCapture(m_hostWindow);
    m_mouseCaptured = true;
}

void VQPaintManager::ReleaseCapture() {
    ::ReleaseCapture();
    m_mouseCaptured = false;
}

void VQPaintManager::InvalidateWindow() {
    if (!m_hostWindow) return;
    if (m_layered) {
        PaintLayered(255);
    } else if (!m_wholeWindowInvalid) {
        ::InvalidateRect(m_hostWindow, nullptr, FALSE);
        NoteInvalid(nullptr);
    }
}

void VQPaintManager::InvalidateRect(const RECT& rc) {
    if (!m_hostWindow) return;
    // A layered window is not painted through WM_PAINT: it is drawn again whole.
    if (m_layered) {
        PaintLayered(255);
    } else if (!IsKnownInvalid(rc)) {
        ::InvalidateRect(m_hostWindow, &rc, FALSE);
        NoteInvalid(&rc);
    }
}

bool VQPaintManager::IsKnownInvalid(const RECT& rc) const {
    if (m_wholeWindowInvalid) return true;
    for (size_t i = 0; i < m_knownInvalidCount; ++i) {
        const RECT& known = m_knownInvalid[i];
        if (rc.left >= known.left && rc.top >= known.top && rc.right <= known.right && rc.bottom <= known.bottom)
            return true;
    }
    return false;
}

void VQPaintManager::NoteInvalid(const RECT* rc) {
    if (rc == nullptr) {
        m_wholeWindowInvalid = true;
        return;
    }
    // The oldest gives its place: the latest asks are the likeliest to
    // hold the next ones (a list, then its tiles).
    if (m_knownInvalidCount == kKnownInvalidRects) {
        std::copy(m_knownInvalid + 1, m_knownInvalid + kKnownInvalidRects, m_knownInvalid);
        --m_knownInvalidCount;
    }
    m_knownInvalid[m_knownInvalidCount++] = *rc;
}

void VQPaintManager::ForgetInvalid() {
    m_knownInvalidCount = 0;
    m_wholeWindowInvalid = false;
}

void VQPaintManager::SendNotify(VQControl* sender, int type, WPARAM wParam, LPARAM lParam) {
    VQNotifyMsg msg;
    msg.type = type;
    msg.sender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotifyMsg(msg);
}

void VQPaintManager::SendNotifyMsg(VQNotifyMsg& msg) {
    msg.mouse = m_lastMouse;
    msg.timestamp = ::GetTickCount();
    // By index: a listener may add another listener while being told.
    for (size_t i = 0; i < m_notifiers.size(); ++i) m_notifiers[i]->Notify(msg);
}

void VQPaintManager::SendEvent(VQControl* target, int type, VQControl* sender, WPARAM wParam, LPARAM lParam,
                               wchar_t keyChar, WORD keyState) {
    VQEvent event;
    event.type = type;
    event.sender = sender;
    event.timestamp = ::GetTickCount();
    event.mouse = m_lastMouse;
    event.keyChar = keyChar;
    event.keyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    target->DoEvent(event);
}

bool VQPaintManager::AddOptionGroup(uint32_t group, VQControl* control) {
    std::vector<VQControl*>& list = m_optionGroups[group];
    if (std::find(list.begin(), list.end(), control) != list.end()) return false;
    list.push_back(control);
    return true;
}

const std::vector<VQControl*>* VQPaintManager::GetOptionGroup(uint32_t group) const {
    auto it = m_optionGroups.find(group);
    return it == m_optionGroups.end() ? nullptr : &it->second;
}

void VQPaintManager::RemoveOptionGroup(uint32_t group, VQControl* control) {
    auto it = m_optionGroups.find(group);
    if (it == m_optionGroups.end()) return;
    auto& list = it->second;
    list.erase(std::remove(list.begin(), list.end(), control), list.end());
}

void VQPaintManager::RemoveAllOptionGroups() {
    m_optionGroups.clear();
}

void VQPaintManager::AddDefaultAttributeList(const std::wstring& className, const std::wstring& attributes) {
    m_defaultAttributes[className] = attributes;
}

std::wstring VQPaintManager::GetDefaultAttributeList(const std::wstring& className) const {
    auto it = m_defaultAttributes.find(className);
    return it == m_defaultAttributes.end() ? std::wstring() : it->second;
}

void VQPaintManager::RemoveDefaultAttributeList(const std::wstring& className) {
    m_defaultAttributes.erase(className);
}

HFONT VQPaintManager::AddFont(const std::wstring& name, const std::wstring& faceName, int size, bool bold,
                              bool underline, bool italic) {
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lstrcpynW(lf.lfFaceName, faceName.c_str(), LF_FACESIZE);
    lf.lfHeight = -size;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (bold) lf.lfWeight = FW_BOLD;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return nullptr;
    std::unique_ptr<FontEntry> entry(new FontEntry);
    entry->font = font;
    entry->faceName = faceName;
    entry->size = size;
    entry->bold = bold;
    entry->underline = underline;
    entry->italic = italic;
    if (m_windowDC) {
        HGDIOBJ old = ::SelectObject(m_windowDC, font);
        ::GetTextMetricsW(m_windowDC, &entry->metrics);
        ::SelectObject(m_windowDC, old);
    }
    auto& slot = m_fonts[name];
    if (slot) {
        // A default that pointed at the replaced font follows its entry;
        // nothing keeps the freed handle.
        HFONT replaced = slot->font;
        if (m_defaultFont == replaced) m_defaultFont = font;
        if (m_defaultBoldFont == replaced) m_defaultBoldFont = font;
        if (m_defaultLinkFont == replaced) m_defaultLinkFont = font;
        ::DeleteObject(replaced);
    }
    slot = std::move(entry);
    return font;
}

void VQPaintManager::SetDefaultFont(HFONT font) {
    if (font == m_defaultFont) return;
    // A fallback made by GetFont belongs to the manager; a font of the map
    // stays owned by its entry.
    if (m_ownsDefaultFont && m_defaultFont) ::DeleteObject(m_defaultFont);
    m_ownsDefaultFont = false;
    m_defaultFont = font;
}

const TEXTMETRICW* VQPaintManager::GetFontMetrics(HFONT font) const {
    for (const auto& entry : m_fonts)
        if (entry.second->font == font) return &entry.second->metrics;
    return nullptr;
}

HFONT VQPaintManager::GetFont(const std::wstring& name) {
    if (!name.empty()) {
        auto it = m_fonts.find(name);
        if (it != m_fonts.end()) return it->second->font;
    }
    if (!m_defaultFont) {
        auto it = m_fonts.find(L"Default");
        if (it != m_fonts.end()) {
            m_defaultFont = it->second->font;
        } else {
            LOGFONTW lf = {};
            ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
            LOGFONTW made = {};
            made.lfHeight = lf.lfHeight;
            lstrcpynW(made.lfFaceName, lf.lfFaceName, LF_FACESIZE);
            m_defaultFont = ::CreateFontIndirectW(&made);
            m_ownsDefaultFont = m_defaultFont != nullptr;
        }
    }
    return m_defaultFont;
}

void VQPaintManager::AddDelayedCleanup(VQControl* control) {
    m_delayedCleanup.push_back(control);
}

void VQPaintManager::PostDelayedCleanup() {
    if (m_hostWindow) ::PostMessageW(m_hostWindow, WM_VQ_DELAYED_CLEANUP, 0, 0);
}

void VQPaintManager::DeleteDelayedCleanup() {
    // By index, taking each entry out first: freeing a container frees its
    // children, and their ReapControl clears their own entries here.
    for (size_t i = 0; i < m_delayedCleanup.size(); ++i) {
        VQControl* control = m_delayedCleanup[i];
        m_delayedCleanup[i] = nullptr;
        delete control;
    }
    m_delayedCleanup.clear();
}

void DetachControlFromParent(VQControl* control) {
    if (!control || !control->GetParent()) return;
    VQContainer* parent = static_cast<VQContainer*>(control->GetParent()->GetInterface(ControlTypeContainer));
    if (!parent) return;
    bool autoDestroy = parent->IsAutoDestroy();
    parent->SetAutoDestroy(false);
    parent->Remove(control);
    parent->SetAutoDestroy(autoDestroy);
}

void VQPaintManager::AddPreTranslate(VQPaintManager* manager) {
    auto& managers = Managers();
    if (std::find(managers.begin(), managers.end(), manager) == managers.end()) managers.push_back(manager);
}

size_t VQPaintManager::GetPreTranslateCount() {
    return Managers().size();
}

void VQPaintManager::MessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

}  // namespace Tessar
