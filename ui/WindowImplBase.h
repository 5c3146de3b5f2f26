#pragma once
// The base of every skinned window: a VQWindowWnd with an embedded paint
// manager. HandleMessage splits the window messages into the virtual
// handlers below (a table, message -> handler); whatever a handler leaves
// unhandled goes to the paint manager and then to the previous procedure.

#include <windows.h>

#include <string>

#include "ui/Event.h"
#include "ui/PaintManager.h"
#include "ui/WindowWnd.h"

namespace Tessar {

class IBuilderCallback;

class VQWindowImplBase : public VQWindowWnd, public INotify {
public:
    VQWindowImplBase();
    ~VQWindowImplBase() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(VQNotifyMsg& msg) override {}

    // Each handler sets `handled` FALSE to pass the message on; the
    // defaults do nothing and pass everything on.
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseLeave(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnWindowPosChanged(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    // Re-applies a style description to the existing tree: from the skin's
    // own layout file when `skinLayoutPath` names a listed skin whose file
    // exists (the skin folder becomes the resource folder), otherwise from
    // the module's style resource `resourceId`; then repaints the window.
    // `extra` has no effect here; overriding windows may use it.
    virtual void ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                            const std::wstring& skinFolder, const std::wstring& skinLayoutPath);

    VQPaintManager& GetPaintManager() { return m_paintManager; }

protected:
    // What every skinned window's OnCreate does: takes WS_CAPTION off,
    // gives the paint manager the window, builds the layout `windowName`
    // of `markup` (source kind and resource type as the markup builder
    // takes them) with `callback` for application tags, attaches the root
    // and registers this window as notifier. False when nothing was built.
    bool CreateFromLayout(const std::wstring& markup, const std::wstring& windowName, int sourceKind,
                          const std::wstring& resourceType, IBuilderCallback* callback);

    VQPaintManager m_paintManager;
};

}  // namespace Tessar
