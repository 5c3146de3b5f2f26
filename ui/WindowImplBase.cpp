#include "ui/WindowImplBase.h"

namespace Tessar {

namespace {

typedef LRESULT (VQWindowImplBase::*Handler)(UINT, WPARAM, LPARAM, BOOL&);

struct HandlerEntry {
    UINT message;
    Handler handler;
};

// Message -> handler; a pointer to a virtual member calls the override.
const HandlerEntry kHandlers[] = {
    {WM_DESTROY, &VQWindowImplBase::OnDestroy},
    {WM_CREATE, &VQWindowImplBase::OnCreate},
    {WM_COMMAND, &VQWindowImplBase::OnCommand},
    {WM_NCACTIVATE, &VQWindowImplBase::OnNcActivate},
    {WM_NCCALCSIZE, &VQWindowImplBase::OnNcCalcSize},
    {WM_NCPAINT, &VQWindowImplBase::OnNcPaint},
    {WM_SYSCOMMAND, &VQWindowImplBase::OnSysCommand},
    {WM_SIZE, &VQWindowImplBase::OnSize},
    {WM_CLOSE, &VQWindowImplBase::OnClose},
    {WM_NCHITTEST, &VQWindowImplBase::OnNcHitTest},
    {WM_GETMINMAXINFO, &VQWindowImplBase::OnGetMinMaxInfo},
    {WM_MOUSEWHEEL, &VQWindowImplBase::OnMouseWheel},
    {WM_KEYDOWN, &VQWindowImplBase::OnKeyDown},
    {WM_KILLFOCUS, &VQWindowImplBase::OnKillFocus},
    {WM_SETFOCUS, &VQWindowImplBase::OnSetFocus},
    {WM_LBUTTONUP, &VQWindowImplBase::OnLButtonUp},
    {WM_LBUTTONDOWN, &VQWindowImplBase::OnLButtonDown},
    {WM_MOUSEMOVE, &VQWindowImplBase::OnMouseMove},
    {WM_MOUSELEAVE, &VQWindowImplBase::OnMouseLeave},
    {WM_TIMER, &VQWindowImplBase::OnTimer},
    {WM_CHAR, &VQWindowImplBase::OnChar},
    {WM_WINDOWPOSCHANGED, &VQWindowImplBase::OnWindowPosChanged},
};

Handler FindHandler(UINT message) {
    for (const HandlerEntry& entry : kHandlers)
        if (entry.message == message) return entry.handler;
    return nullptr;
}

}  // namespace

VQWindowImplBase::VQWindowImplBase() {}

VQWindowImplBase::~VQWindowImplBase() {}

LRESULT VQWindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    BOOL handled = TRUE;
    LRESULT result = 0;
    if (Handler handler = FindHandler(message)) {
        result = (this->*handler)(message, wParam, lParam, handled);
        if (handled) return result;
    }
    if (m_paintManager.MessageHandler(message, wParam, lParam, result)) return result;
    return VQWindowWnd::HandleMessage(message, wParam, lParam);
}

#define VQ_DEFAULT_HANDLER(name)                                                   \
    LRESULT VQWindowImplBase::name(UINT, WPARAM, LPARAM, BOOL& handled) {          \
        handled = FALSE;                                                           \
        return 0;                                                                  \
    }

VQ_DEFAULT_HANDLER(OnDestroy)
VQ_DEFAULT_HANDLER(OnCreate)
VQ_DEFAULT_HANDLER(OnCommand)
VQ_DEFAULT_HANDLER(OnNcActivate)
VQ_DEFAULT_HANDLER(OnNcCalcSize)
VQ_DEFAULT_HANDLER(OnNcPaint)
VQ_DEFAULT_HANDLER(OnSysCommand)
VQ_DEFAULT_HANDLER(OnSize)
VQ_DEFAULT_HANDLER(OnClose)
VQ_DEFAULT_HANDLER(OnNcHitTest)
VQ_DEFAULT_HANDLER(OnGetMinMaxInfo)
VQ_DEFAULT_HANDLER(OnMouseWheel)
VQ_DEFAULT_HANDLER(OnKeyDown)
VQ_DEFAULT_HANDLER(OnKillFocus)
VQ_DEFAULT_HANDLER(OnSetFocus)
VQ_DEFAULT_HANDLER(OnLButtonUp)
VQ_DEFAULT_HANDLER(OnLButtonDown)
VQ_DEFAULT_HANDLER(OnMouseMove)
VQ_DEFAULT_HANDLER(OnMouseLeave)
VQ_DEFAULT_HANDLER(OnTimer)
VQ_DEFAULT_HANDLER(OnChar)
VQ_DEFAULT_HANDLER(OnWindowPosChanged)

#undef VQ_DEFAULT_HANDLER

}  // namespace Tessar
