#pragma once
// Which code runs in a program is the program's choice, never a skin's.
// Markup attributes that choose code (the ActiveX control's "clsid" and
// "modulename") are taken only from the programs' own markup (their
// resources, or text they made in memory): a style or layout read from a
// skin file, a class default, or an attribute list a control keeps and
// applies later never sets them.
//
// The markup builder opens a scope while it applies the attributes of one
// element of built-in markup to the control that element made; a control
// takes a code-choosing attribute only while such a scope names it. Scopes
// belong to the thread that opened them (the toolkit's UI thread).

namespace Tessar {

class VQControl;

class VQBuiltInMarkupScope {
public:
    explicit VQBuiltInMarkupScope(const VQControl* control);
    ~VQBuiltInMarkupScope();
    VQBuiltInMarkupScope(const VQBuiltInMarkupScope&) = delete;
    VQBuiltInMarkupScope& operator=(const VQBuiltInMarkupScope&) = delete;

    // True while the innermost scope of this thread names the control.
    static bool Covers(const VQControl* control);

private:
    const VQControl* m_outer;
};

}  // namespace Tessar
