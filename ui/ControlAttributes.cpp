// The markup attribute vocabulary every control understands.
#include "ui/Control.h"
#include "ui/MarkupValue.h"

namespace Tessar {

namespace {

bool Has(const std::wstring& value, const wchar_t* word) {
    return value.find(word) != std::wstring::npos;
}

const wchar_t* const kTextStateNames[TextStateCount] = {L"normal", L"hot", L"pushed", L"selected", L"disabled"};
const wchar_t* const kImageStateNames[ImageStateCount] = {L"normal", L"hot",     L"pushed",
                                                          L"selected", L"focused", L"disabled"};

// Bit numbers of the "notify" words.
const struct { const wchar_t* word; int bit; } kNotifyWords[] = {
    {L"click", NotifyClick},         {L"mouseenter", NotifyMouseEnter},   {L"mousehover", NotifyMouseHover},
    {L"mouseleave", NotifyMouseLeave}, {L"setfocus", NotifySetFocus},     {L"killfocus", NotifyKillFocus},
    {L"lbuttondown", NotifyLButtonDown}, {L"lbuttonup", NotifyLButtonUp}, {L"rbuttondown", NotifyRButtonDown},
    {L"contextmenu", NotifyContextMenu},
};

// "dispatch" words set bits 1 to 19 in this order.
const wchar_t* const kDispatchWords[] = {
    L"keydown",     L"keyup",       L"char",      L"syskeydown",  L"mousemove",     L"mouseleave", L"mouseenter",
    L"mousehover",  L"mousewheel",  L"lbuttondown", L"lbuttonup", L"rbuttondown",   L"lbuttondblclk",
    L"contextmenu", L"killfocus",   L"setfocus",  L"setcursor",   L"timer",         L"activate",
};

// Tries "<prefix><state><suffix>" for each state name; the index or -1.
int StateIndex(const std::wstring& name, const wchar_t* prefix, const wchar_t* suffix,
               const wchar_t* const* states, int count) {
    // Compared piece by piece: markup builds call this for every attribute.
    size_t prefixLength = wcslen(prefix);
    size_t suffixLength = wcslen(suffix);
    if (name.size() <= prefixLength + suffixLength) return -1;
    if (name.compare(0, prefixLength, prefix) != 0) return -1;
    if (name.compare(name.size() - suffixLength, suffixLength, suffix) != 0) return -1;
    size_t stateLength = name.size() - prefixLength - suffixLength;
    for (int i = 0; i < count; ++i)
        if (wcslen(states[i]) == stateLength && name.compare(prefixLength, stateLength, states[i]) == 0) return i;
    return -1;
}

}  // namespace

void VQControl::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int index;
    if (name == L"align") {
        if (Has(value, L"left")) m_textStyle &= ~(DT_CENTER | DT_RIGHT);
        if (Has(value, L"vcen")) { m_textStyle |= DT_VCENTER; m_textStyle &= ~DT_BOTTOM; }
        if (Has(value, L"center")) { m_textStyle |= DT_CENTER; m_textStyle &= ~DT_RIGHT; }
        if (Has(value, L"right")) { m_textStyle |= DT_RIGHT; m_textStyle &= ~DT_CENTER; }
        if (Has(value, L"top")) m_textStyle &= ~(DT_VCENTER | DT_BOTTOM);
        if (Has(value, L"bottom")) { m_textStyle |= DT_BOTTOM; m_textStyle &= ~DT_VCENTER; }
        if (Has(value, L"singleline")) { m_textStyle |= DT_SINGLELINE; m_textStyle &= ~DT_WORDBREAK; }
        if (Has(value, L"wordbreak")) { m_textStyle |= DT_WORDBREAK; m_textStyle &= ~DT_SINGLELINE; }
    } else if (name == L"endellipsis") {
        if (ParseMarkupBool(value)) m_textStyle |= DT_END_ELLIPSIS; else m_textStyle &= ~DT_END_ELLIPSIS;
    } else if (name == L"pathellipsis") {
        if (ParseMarkupBool(value)) m_textStyle |= DT_PATH_ELLIPSIS; else m_textStyle &= ~DT_PATH_ELLIPSIS;
    } else if ((index = StateIndex(name, L"", L"textcolor", kTextStateNames, TextStateCount)) >= 0) {
        uint32_t color = ParseMarkupColor(value);
        switch (index) {
        case TextNormal: SetNormalTextColor(color); break;
        case TextHot: SetHotTextColor(color); break;
        case TextPushed: SetPushedTextColor(color); break;
        case TextSelected: SetSelectedTextColor(color); break;
        default: SetDisabledTextColor(color); break;
        }
    } else if ((index = StateIndex(name, L"", L"font", kTextStateNames, TextStateCount)) >= 0) {
        m_fonts[index] = value;
    } else if (name == L"rowheight") {
        m_rowHeight = ParseMarkupInt(value);
    } else if ((index = StateIndex(name, L"", L"textpadding", kTextStateNames, TextStateCount)) >= 0) {
        m_textPaddings[index] = ParseMarkupRect(value);
    } else if ((index = StateIndex(name, L"", L"image", kImageStateNames, ImageStateCount)) >= 0) {
        m_stateImages[index] = value;
    } else if ((index = StateIndex(name, L"bk", L"image", kImageStateNames, ImageStateCount)) >= 0) {
        m_bkImages[index] = value;
    } else if (name == L"pos") {
        RECT rc = ParseMarkupRect(value);
        SetFixedXY(rc.left, rc.top);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (name == L"flags") {
        if (Has(value, L"setcursor")) SetFlag(FlagSetCursor, true);
        if (Has(value, L"enterrolltext")) SetFlag(FlagEnterRollText, true);
        if (Has(value, L"tabstop")) SetFlag(FlagTabStop, true);
    } else if (name == L"notify") {
        for (const auto& word : kNotifyWords)
            if (Has(value, word.word)) SetNotifyBit(word.bit, true);
    } else if (name == L"dispatch") {
        for (int i = 0; i < 19; ++i)
            if (Has(value, kDispatchWords[i])) SetDispatchBit(i + 1, true);
    } else if (name == L"format") {
        if (Has(value, L"topmost")) m_format |= FormatTopmost;
    } else if (name == L"padding") {
        RECT rc = ParseMarkupRect(value);
        SetPadding(rc.left, rc.top, rc.right, rc.bottom);
    } else if (name == L"cut") {
        RECT rc = ParseMarkupRect(value);
        SetCut(rc.left, rc.top, rc.right, rc.bottom);
    } else if ((index = StateIndex(name, L"", L"bkcolor", kImageStateNames, ImageStateCount)) >= 0) {
        m_bkColors[index] = ParseMarkupColor(value);
    } else if (name == L"bordercolor") {
        m_borderColor = ParseMarkupColor(value);
    } else if (name == L"bordersize") {
        m_borderSize = ParseMarkupInt(value);
    } else if (name == L"width") {
        SetFixedWidth(ParseMarkupInt(value));
    } else if (name == L"height") {
        SetFixedHeight(ParseMarkupInt(value));
    } else if (name == L"name") {
        SetName(value);
    } else if (name == L"text") {
        SetText(value);
    } else if (name == L"tooltip") {
        SetToolTip(value);
    } else if (name == L"customtooltip") {
        m_customToolTip = ParseMarkupBool(value);
    } else if (name == L"capture") {
        m_capture = ParseMarkupBool(value);
    } else if (name == L"caption") {
        m_caption = ParseMarkupBool(value);
    } else if (name == L"spacereturn") {
        m_spaceReturn = ParseMarkupBool(value);
    } else if (name == L"hasbeenhover") {
        m_hasBeenHover = ParseMarkupBool(value);
    } else if (name == L"layeredwindowbk") {
        m_layeredBk = ParseMarkupBool(value);
    } else if (name == L"enabled") {
        SetEnabled(ParseMarkupBool(value));
    } else if (name == L"visible") {
        SetVisible(ParseMarkupBool(value));
    } else if (name == L"relfloat") {
        SetRelFloat(ParseMarkupBool(value));
    } else if (name == L"absfloat") {
        SetAbsFloat(ParseMarkupBool(value));
    } else if (name == L"float") {
        SetFloat(ParseMarkupBool(value));
    } else if (name == L"roundcorner") {
        m_roundCorner = ParseMarkupSize(value);
    } else if (name == L"userdata") {
        SetUserData(value);
    } else if (name == L"tag") {
        SetTag(ParseMarkupInt(value));
    } else if (name == L"id") {
        SetId(ParseMarkupInt(value));
    } else if (name == L"shortcut") {
        SetShortcut(value.empty() ? 0 : value[0]);
    } else if (name == L"minwidth") {
        SetMinWidth(ParseMarkupInt(value));
    } else if (name == L"minheight") {
        SetMinHeight(ParseMarkupInt(value));
    } else if (name == L"maxwidth") {
        SetMaxWidth(ParseMarkupInt(value));
    } else if (name == L"maxheight") {
        SetMaxHeight(ParseMarkupInt(value));
    } else if (name == L"tooltipdelaytime") {
        m_toolTipDelay = ParseMarkupInt(value);
    }
}

void VQControl::ApplyAttributeList(const std::wstring& list) {
    const wchar_t* p = list.c_str();
    while (*p) {
        std::wstring name, value;
        while (*p && *p != L'=') {
            const wchar_t* next = ::CharNextW(p);
            name.append(p, next);
            p = next;
        }
        if (*p++ != L'=') return;
        if (*p++ != L'"') return;
        while (*p && *p != L'"') {
            const wchar_t* next = ::CharNextW(p);
            value.append(p, next);
            p = next;
        }
        if (*p++ != L'"') return;
        SetAttribute(name, value);
        if (*p != L' ') return;
        ++p;
    }
}

}  // namespace Tessar
