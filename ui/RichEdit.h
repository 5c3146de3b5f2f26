#pragma once
// The toolkit's text-entry control. It has no native window: it hosts the
// platform's windowless text services through VQTxtWinHost, draws the text
// into the paint manager's device context and receives the window's
// messages through the paint manager's message-filter chain. Text-service
// notifications become notifications 14 (Enter), 15 (text changed) and 16
// (text limit reached).

#include <cstdint>

#include "ui/Container.h"
#include "ui/Event.h"

namespace Tessar {

class VQTxtWinHost;

class VQRichEdit : public VQContainer, public IWindowMessageFilter {
public:
    VQRichEdit();
    // Releases the host and leaves the manager's filter chain.
    ~VQRichEdit() override;

    int GetControlType() const override { return ControlTypeRichEdit; }
    VQControl* GetInterface(int type) override;
    VQControl* FindControl(VQFindControlProc proc, void* data, unsigned flags) override;
    void DoInit() override;
    void DoPaint(HDC hdc, const RECT& paintRect) override;
    void PaintText(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void SetPos(int left, int top, int right, int bottom) override;
    std::wstring GetText() const override;
    void SetText(const std::wstring& text) override;
    void SetNormalTextColor(uint32_t color) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void OnSetFocus(VQEvent& event) override;
    void OnKillFocus(VQEvent& event) override;
    void OnMouseEnter(VQEvent& event) override;
    void OnMouseLeave(VQEvent& event) override;
    void OnLButtonDown(VQEvent& event) override;
    void OnSetCursor(VQEvent& event) override;
    void OnMouseMove(VQEvent& event) override;
    void OnTimer(VQEvent& event) override;
    // The scroll bars scroll the text: the services move the bars back.
    void SetScrollPos(SIZE pos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    // Passes a message to the text services; Enter is intercepted by the
    // want-return rules. 1 without a host.
    virtual HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Text-service notifications that are not the host's own.
    virtual void OnTxNotify(DWORD code, void* data);

    LRESULT MessageFilter(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    VQTxtWinHost* GetHost() const { return m_host; }
    DWORD GetStyle() const { return m_style; }
    bool IsRich() const { return m_rich; }
    bool IsReadOnly() const { return m_readOnly; }
    bool IsPassword() const { return m_password; }
    // Stored only: Tab keeps moving the focus out of a rich edit.
    bool IsWantTab() const { return m_wantTab; }
    bool IsWantReturn() const { return m_wantReturn; }
    bool IsWantCtrlReturn() const { return m_wantCtrlReturn; }
    bool IsEventChange() const { return m_eventChange; }
    int GetLimitText() const { return m_textLimit; }
    // The text as the control stored it last (the services' text is GetText).
    const std::wstring& GetStoredText() const { return m_text; }

private:
    // The services' in-place activation; clears the host's active flag on failure.
    void ActivateInPlace();
    void SetEventMaskBit(DWORD bit, bool on);
    // One scroll request to the services, or the container's operation without a host.
    void Scroll(UINT message, WORD code, void (VQContainer::*fallback)());
    void SetStyleBit(DWORD bit, bool on);
    int TextLength() const;
    HRESULT SendCharCheckingLimit(WPARAM ch, LPARAM lParam, LRESULT* result);
    // The colour the current state paints the text in.
    uint32_t StateTextColor() const;

    bool m_eventChange = false;
    bool m_colorDirty = true;
    VQTxtWinHost* m_host = nullptr;
    bool m_wantTab = true;
    bool m_wantReturn = true;
    bool m_wantCtrlReturn = true;
    bool m_rich = true;
    bool m_readOnly = false;
    bool m_password = false;
    bool m_reserved = false;
    int m_textLimit = 32767;
    DWORD m_style = ES_MULTILINE;
    // EN_MAXTEXT arrived while a character was being typed.
    bool m_maxTextSeen = false;
};

}  // namespace Tessar
