// The markup builder against the test skin and against small layouts made
// in the tests: controls by name with their attributes, window settings,
// fonts, class defaults, styles, application tags and damaged markup.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/SkinFixture.h"
#include "tests/ui/TestWindow.h"
#include "ui/Button.h"
#include "ui/Container.h"
#include "ui/DialogBuilder.h"
#include "ui/Edit.h"
#include "ui/Label.h"
#include "ui/PaintManager.h"
#include "ui/Progress.h"
#include "ui/ScrollBar.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::TestSkinPath;
using Test::VQTestWindow;

// A control of the application's own, counting its deletions.
int g_countedAlive = 0;
class CountedControl : public VQControl {
public:
    CountedControl() { ++g_countedAlive; }
    ~CountedControl() override { --g_countedAlive; }
};

class CountingCallback : public IBuilderCallback {
public:
    VQControl* CreateControl(const wchar_t* tag) override {
        ++asked;
        if (std::wstring(tag) == L"Counted") return new CountedControl;
        if (std::wstring(tag) == L"CountedBox") return new VQContainer;
        return nullptr;
    }
    int asked = 0;
};

// Builds the test skin's main window into a test window.
struct SkinWindow {
    SkinWindow() : window(480, 360) {
        VQDialogBuilder builder;
        root = builder.Create(TestSkinPath(L"MarloxWnd.xml"), L"TestWnd", MarkupFromFile, L"", &window.Manager());
        if (root) window.Manager().AttachRootControl(root);
    }
    VQControl* Find(const wchar_t* name) { return window.Manager().FindControlByName(name); }
    VQTestWindow window;
    VQControl* root = nullptr;
};

TEST(BuilderTest, TestSkinBuildsControlsByNameWithTheirAttributes) {
    SkinWindow skin;
    ASSERT_NE(skin.root, nullptr) << "test skin at " << std::string(TestSkinPath(L"").begin(), TestSkinPath(L"").end());
    EXPECT_EQ(skin.root->GetName(), L"root");
    struct Case {
        const wchar_t* name;
        int type;
        int id;
        const wchar_t* text;
        int fixedWidth;
        int fixedHeight;
    } cases[] = {
        {L"titlebar", ControlTypeContainer, 0, L"", 0, 32},
        {L"title", ControlTypeLabel, 0, L"测试窗口", 0, 0},
        {L"closebtn", ControlTypeButton, 100, L"", 18, 18},
        {L"greeting", ControlTypeLabel, 110, L"欢迎使用游戏管理器", 0, 20},
        {L"searchedit", ControlTypeEdit, 101, L"", 200, 0},
        {L"okbtn", ControlTypeButton, 102, L"确定", 72, 0},
        {L"cancelbtn", ControlTypeButton, 103, L"取消", 72, 0},
        {L"spacer", ControlTypeControl, 0, L"", 0, 0},
        {L"progress", ControlTypeProgress, 104, L"", 0, 8},
        {L"password", ControlTypeEdit, 105, L"", 160, 0},
        {L"disabledbtn", ControlTypeButton, 106, L"不可用", 72, 0},
        {L"scrollview", ControlTypeContainer, 107, L"", 0, 120},
        {L"item9", ControlTypeLabel, 0, L"第十项", 0, 24},
    };
    for (const Case& c : cases) {
        VQControl* control = skin.Find(c.name);
        ASSERT_NE(control, nullptr) << std::string(c.name, c.name + wcslen(c.name));
        std::string label(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(control->GetControlType(), c.type) << label;
        EXPECT_EQ(control->GetId(), c.id) << label;
        EXPECT_EQ(control->GetText(), c.text) << label;
        EXPECT_EQ(control->GetFixedWidth(), c.fixedWidth) << label;
        EXPECT_EQ(control->GetFixedHeight(), c.fixedHeight) << label;
        if (c.id != 0) { EXPECT_EQ(skin.window.Manager().FindControlById(c.id), control) << label; }
    }
    EXPECT_EQ(skin.Find(L"closebtn")->GetToolTip(), L"关闭");
    EXPECT_FALSE(skin.Find(L"disabledbtn")->IsEnabled());
    auto* password = static_cast<VQEdit*>(skin.Find(L"password"));
    EXPECT_TRUE(password->IsPassword());
    EXPECT_EQ(password->GetPasswordChar(), L'●');
    EXPECT_EQ(static_cast<VQEdit*>(skin.Find(L"searchedit"))->GetMaxChar(), 32);
    auto* progress = static_cast<VQProgress*>(skin.Find(L"progress"));
    EXPECT_EQ(progress->GetForeInset().left, 1);
    EXPECT_EQ(progress->GetStep(), 1);
    // The first top-level control is the root and nothing above it is left over.
    EXPECT_EQ(skin.root->GetParent(), nullptr);
    EXPECT_EQ(skin.Find(L"message"), nullptr) << "a control of another window";
}

TEST(BuilderTest, ClassDefaultsComeFirstAndTheElementWins) {
    SkinWindow skin;
    ASSERT_NE(skin.root, nullptr);
    VQControl* ok = skin.Find(L"okbtn");
    VQControl* cancel = skin.Find(L"cancelbtn");
    VQControl* close = skin.Find(L"closebtn");
    EXPECT_EQ(ok->GetNormalTextColor(), 0xFF101010u) << "element over default";
    EXPECT_EQ(cancel->GetNormalTextColor(), 0xFFFFFFFFu) << "default";
    EXPECT_EQ(ok->GetHotTextColor(), 0xFFFFF0E0u);
    EXPECT_EQ(cancel->m_bkImages[ImageNormal], L"file='button.png' source='0,0,60,24' corner='4,4,4,4'");
    EXPECT_EQ(close->m_bkImages[ImageNormal], L"") << "an empty element value clears the default";
    EXPECT_EQ(close->m_stateImages[ImageHot], L"file='close.png' source='18,0,36,18'");
    VQControl* edit = skin.Find(L"searchedit");
    EXPECT_EQ(edit->m_textPaddings[TextNormal].left, 6);
    EXPECT_EQ(edit->m_textPaddings[TextNormal].bottom, 4);
    EXPECT_EQ(skin.window.Manager().GetDefaultAttributeList(L"Edit").substr(0, 14), L"bknormalimage=");
}

TEST(BuilderTest, WindowSettingsAndFontsReachTheManager) {
    SkinWindow skin;
    ASSERT_NE(skin.root, nullptr);
    VQPaintManager& pm = skin.window.Manager();
    EXPECT_EQ(pm.GetInitSize().cx, 480);
    EXPECT_EQ(pm.GetInitSize().cy, 360);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 32);
    EXPECT_EQ(pm.GetRoundCorner().cx, 4);
    EXPECT_EQ(pm.GetSizeBox().right, 4);
    EXPECT_EQ(pm.GetSizeBoxCorner(), 8);
    EXPECT_EQ(pm.GetMinInfo().cx, 320);
    EXPECT_EQ(pm.GetMaxInfo().cy, 768);
    EXPECT_FALSE(pm.IsLayered());

    HFONT text = pm.GetFont(L"text");
    HFONT bold = pm.GetFont(L"bold");
    HFONT link = pm.GetFont(L"link");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(pm.GetFont(L""), text) << "default font";
    EXPECT_NE(bold, text);
    EXPECT_EQ(pm.GetDefaultBoldFont(), bold);
    EXPECT_EQ(pm.GetDefaultLinkFont(), link);
    EXPECT_EQ(pm.GetFont(L"nameless"), text) << "a Font without a face name registers nothing";
    struct FontCase {
        const wchar_t* key;
        LONG height;
        LONG weight;
        BYTE underline;
    } fonts[] = {{L"text", -12, -1, 0}, {L"bold", -12, FW_BOLD, 0}, {L"title", -14, -1, 0}, {L"link", -12, -1, 1}};
    for (const FontCase& f : fonts) {
        LOGFONTW lf = {};
        ASSERT_EQ(::GetObjectW(pm.GetFont(f.key), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
        std::string label(f.key, f.key + wcslen(f.key));
        EXPECT_EQ(lf.lfHeight, f.height) << label;
        EXPECT_EQ(lf.lfUnderline, f.underline) << label;
        if (f.weight > 0) { EXPECT_GE(lf.lfWeight, f.weight) << label; }
        EXPECT_STREQ(lf.lfFaceName, L"Microsoft YaHei") << label;
    }
}

TEST(BuilderTest, ScrollViewShowsItsBarWithTheSkinDefaults) {
    SkinWindow skin;
    ASSERT_NE(skin.root, nullptr);
    auto* view = static_cast<VQContainer*>(skin.Find(L"scrollview"));
    VQScrollbar* bar = view->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetFixedWidth(), 12) << "the skin's VScrollBar default";
    skin.root->SetPos(0, 0, 480, 360);
    EXPECT_TRUE(bar->IsVisible());
    // Ten rows of 24 in a client 120 - 2 high.
    EXPECT_EQ(bar->GetScrollRange(), 240 - 118);
    EXPECT_EQ(bar->GetOwner(), view);
}

TEST(BuilderTest, StyleAppliesDefaultsAndAttributeSetsById) {
    SkinWindow skin;
    ASSERT_NE(skin.root, nullptr);
    VQDialogBuilder style;
    ASSERT_TRUE(style.LoadMarkup(&skin.window.Manager(), TestSkinPath(L"style.xml"), L"TestWnd", MarkupFromFile));
    VQControl* ok = skin.Find(L"okbtn");
    EXPECT_EQ(ok->GetText(), L"好的");
    EXPECT_EQ(ok->GetNormalTextColor(), 0xFF2FB36Bu);
    EXPECT_EQ(static_cast<VQEdit*>(skin.Find(L"password"))->GetPasswordChar(), L'*');
    VQControl* progress = skin.Find(L"progress");
    EXPECT_EQ(progress->m_stateImages[ImageNormal], L"file='progress_fg.png' corner='1,1,1,1'");
    EXPECT_EQ(progress->m_bkImages[ImageNormal], L"");
    EXPECT_EQ(skin.window.Manager().GetDefaultAttributeList(L"Label"), L"normaltextcolor=\"#FF333333\"");
    EXPECT_EQ(skin.Find(L"greeting")->GetText(), L"欢迎使用游戏管理器") << "an element without attributes";

    // A bare file name is looked up in the skin's folder; memory text works too.
    const std::wstring savedFolder = VQSkinManager::Instance().GetResourceFolder();
    VQSkinManager::Instance().SetResourceFolder(Tessar::Test::TestSkinFolder());
    ok->SetText(L"");
    VQDialogBuilder byName;
    EXPECT_TRUE(byName.LoadMarkup(&skin.window.Manager(), L"style.xml", L"TestWnd", MarkupFromFile));
    VQSkinManager::Instance().SetResourceFolder(savedFolder);
    EXPECT_EQ(ok->GetText(), L"好的");
    VQDialogBuilder fromMemory;
    EXPECT_TRUE(fromMemory.LoadMarkup(&skin.window.Manager(), L"<Window><id102 text=\"内存\" /></Window>", L"",
                                      MarkupFromMemory));
    EXPECT_EQ(ok->GetText(), L"内存");
    VQDialogBuilder notAWindow;
    EXPECT_FALSE(notAWindow.LoadMarkup(&skin.window.Manager(), L"<Style><id102 text=\"x\" /></Style>", L"",
                                       MarkupFromMemory));
    EXPECT_EQ(ok->GetText(), L"内存");

    VQDialogBuilder missing;
    EXPECT_FALSE(missing.LoadMarkup(&skin.window.Manager(), TestSkinPath(L"style.xml"), L"NoSuchWnd", MarkupFromFile));
    EXPECT_FALSE(missing.LoadMarkup(&skin.window.Manager(), TestSkinPath(L"nofile.xml"), L"TestWnd", MarkupFromFile));
}

TEST(BuilderTest, SettingsNeedAHostWindowButTheTreeIsBuilt) {
    VQPaintManager manager;  // never given a window
    VQDialogBuilder builder;
    VQControl* root = builder.Create(TestSkinPath(L"MarloxWnd.xml"), L"TestWnd", MarkupFromFile, L"", &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.GetInitSize().cx, 0);
    EXPECT_EQ(manager.GetSizeBoxCorner(), 0);
    EXPECT_EQ(manager.GetMinInfo().cx, 0);
    EXPECT_NE(manager.GetFont(L"bold"), manager.GetFont(L"")) << "fonts do not need the window";
    manager.AttachRootControl(root);
    EXPECT_NE(manager.FindControlByName(L"okbtn"), nullptr);
}

TEST(BuilderTest, LayoutFromAModuleResource) {
    VQPaintManager manager;
    struct Case {
        const wchar_t* name;
        const wchar_t* window;
        const wchar_t* type;
        const wchar_t* rootName;
    } cases[] = {
        {L"TESTLAYOUT", L"ResWnd", L"XML", L"resroot"},
        {L"300", L"", L"XML", L"numbered"},
        {L"#300", L"", L"XML", L"numbered"},
        {L"TESTLAYOUT", L"Other", L"XML", nullptr},
        {L"MISSING", L"", L"XML", nullptr},
        {L"TESTLAYOUT", L"ResWnd", L"PNG", nullptr},
    };
    for (const Case& c : cases) {
        std::string label(c.name, c.name + wcslen(c.name));
        VQDialogBuilder builder;
        VQControl* root = builder.Create(c.name, c.window, MarkupFromResource, c.type, &manager);
        if (c.rootName == nullptr) {
            EXPECT_EQ(root, nullptr) << label;
            continue;
        }
        ASSERT_NE(root, nullptr) << label;
        EXPECT_EQ(root->GetName(), c.rootName) << label;
        delete root;
    }
}

// Builds `markup` from memory with a counting callback; the root's subtree
// is attached to a fresh manager so names can be looked up.
struct MemoryBuild {
    explicit MemoryBuild(const std::wstring& markup, const std::wstring& window = L"") {
        g_countedAlive = 0;
        VQDialogBuilder builder;
        root = builder.Create(markup, window, MarkupFromMemory, L"", &manager, &callback);
        if (root) manager.AttachRootControl(root);
    }
    VQControl* Find(const wchar_t* name) { return manager.FindControlByName(name); }
    VQPaintManager manager;
    CountingCallback callback;
    VQControl* root = nullptr;
};

TEST(BuilderTest, MemoryLayoutsFollowTheTreeRules) {
    struct Case {
        const char* name;
        const wchar_t* markup;
        const wchar_t* window;
        const wchar_t* rootName;     // null: nothing is built
        const wchar_t* present;      // a name that must be found ("" for none)
        const wchar_t* absent;       // a name that must not be found ("" for none)
        int countedAlive;            // application controls alive after the build
    } cases[] = {
        {"plain window", L"<Window><Label name=\"a\" /></Window>", L"", L"a", L"a", L"", 0},
        {"window by name", L"<Root><Window name=\"x\"><Label name=\"x1\"/></Window><Window name=\"y\"><Label name=\"y1\"/></Window></Root>",
         L"y", L"y1", L"y1", L"x1", 0},
        {"name not found", L"<Root><Window name=\"x\"><Label name=\"x1\"/></Window></Root>", L"z", nullptr, L"", L"", 0},
        {"name without Root", L"<Window name=\"x\"><Label name=\"x1\"/></Window>", L"x", nullptr, L"", L"", 0},
        {"not a Window", L"<Dialog><Label name=\"a\"/></Dialog>", L"", nullptr, L"", L"", 0},
        {"empty window", L"<Window />", L"", nullptr, L"", L"", 0},
        {"bad XML", L"<Window><Label name=\"a\"></Window>", L"", nullptr, L"", L"", 0},
        {"empty text", L"", L"", nullptr, L"", L"", 0},
        {"settings are not controls",
         L"<Window><Image name=\"i\"/><Font font=\"f\" name=\"Arial\"/><Default name=\"Label\" value=\"\"/><Container name=\"c\"/></Window>",
         L"", L"c", L"c", L"", 0},
        {"unknown tag skipped with its subtree",
         L"<Window><VerticalLayout name=\"r\"><Unknown><Label name=\"inside\"/></Unknown><Label name=\"after\"/></VerticalLayout></Window>",
         L"", L"r", L"after", L"inside", 0},
        {"application tag", L"<Window><VerticalLayout name=\"r\"><Counted name=\"mine\"/></VerticalLayout></Window>", L"",
         L"r", L"mine", L"", 1},
        {"control under a non-container is deleted",
         L"<Window><VerticalLayout name=\"r\"><Progress name=\"p\"><Counted name=\"orphan\"/><Label name=\"orphan2\"/></Progress><Label name=\"after\"/></VerticalLayout></Window>",
         L"", L"r", L"after", L"orphan", 0},
        {"second top-level control is deleted",
         L"<Window><Container name=\"first\"/><Counted name=\"second\"/></Window>", L"", L"first", L"first", L"second", 0},
        {"nested application container", L"<Window><CountedBox name=\"box\"><Counted name=\"c1\"/><Counted name=\"c2\"/></CountedBox></Window>",
         L"", L"box", L"c2", L"", 2},
    };
    for (const Case& c : cases) {
        MemoryBuild build(c.markup, c.window);
        if (c.rootName == nullptr) {
            EXPECT_EQ(build.root, nullptr) << c.name;
            EXPECT_EQ(g_countedAlive, 0) << c.name;
            continue;
        }
        ASSERT_NE(build.root, nullptr) << c.name;
        EXPECT_EQ(build.root->GetName(), c.rootName) << c.name;
        if (*c.present) { EXPECT_NE(build.Find(c.present), nullptr) << c.name; }
        if (*c.absent) { EXPECT_EQ(build.Find(c.absent), nullptr) << c.name; }
        EXPECT_EQ(g_countedAlive, c.countedAlive) << c.name;
    }
    EXPECT_EQ(g_countedAlive, 0) << "every application control freed with its tree";
}

TEST(BuilderTest, EveryToolkitTagMakesItsClass) {
    struct Case {
        const wchar_t* tag;
        int type;
    } cases[] = {
        {L"Control", ControlTypeControl},     {L"Container", ControlTypeContainer},
        {L"VerticalLayout", ControlTypeContainer}, {L"HorizontalLayout", ControlTypeContainer},
        {L"Label", ControlTypeLabel},         {L"Button", ControlTypeButton},
        {L"Progress", ControlTypeProgress},   {L"Edit", ControlTypeEdit},
        {L"Option", ControlTypeOption},       {L"Combo", ControlTypeCombo},
        {L"ComboElement", ControlTypeComboElement}, {L"TabCtrl", ControlTypeTab},
        {L"TabItem", ControlTypeTabItem},     {L"Menu", ControlTypeMenu},
        {L"MenuElement", ControlTypeMenuElement}, {L"RichEdit", ControlTypeRichEdit},
        {L"ActiveX", ControlTypeActiveX},
    };
    for (const Case& c : cases) {
        std::string label(c.tag, c.tag + wcslen(c.tag));
        MemoryBuild build(L"<Window><" + std::wstring(c.tag) + L" name=\"made\" /></Window>");
        ASSERT_NE(build.root, nullptr) << label;
        EXPECT_EQ(build.root->GetControlType(), c.type) << label;
        EXPECT_EQ(build.callback.asked, 0) << label << " is the toolkit's own";
    }
    // Tags compare whole and case-sensitively: these go to the application.
    for (const wchar_t* tag : {L"label", L"Labe", L"LabelX", L"Image", L"Font", L"Default"}) {
        MemoryBuild build(L"<Window><VerticalLayout><" + std::wstring(tag) + L" /></VerticalLayout></Window>");
        ASSERT_NE(build.root, nullptr);
        EXPECT_EQ(static_cast<VQContainer*>(build.root)->GetCount(), 0);
    }
}

TEST(BuilderTest, HostileNumbersAndNestingNeverCrash) {
    {
        MemoryBuild build(L"<Window><Control name=\"c\" width=\"99999999999999\" height=\"-5\" pos=\"-2147483648,0,2147483647,1\" "
                          L"minwidth=\"-1\" maxheight=\"4294967296\" bordersize=\"-7\" /></Window>");
        ASSERT_NE(build.root, nullptr);
        EXPECT_GE(build.root->GetFixedWidth(), 0);
        EXPECT_EQ(build.root->GetFixedHeight(), 1) << "pos last, negative height ignored";
        build.root->SetPos(0, 0, 100, 100);
    }
    {
        MemoryBuild build(L"<Window><Font font=\"huge\" name=\"Arial\" size=\"-2147483648\" default=\"true\"/>"
                          L"<VerticalLayout name=\"v\" vscrollbar=\"true\" childpadding=\"2147483647\" inset=\"-9,-9,99999,99999\">"
                          L"<Control height=\"2147483647\"/><Control height=\"2147483647\"/></VerticalLayout></Window>");
        ASSERT_NE(build.root, nullptr);
        build.root->SetPos(0, 0, 300, 200);
    }
    // Nesting within the bound builds; far beyond it is refused before parsing.
    struct Depth {
        int levels;
        bool builds;
    } depths[] = {{VQDialogBuilder::kMaxDepth - 2, true}, {VQDialogBuilder::kMaxDepth + 5, false}, {100000, false}};
    for (const Depth& d : depths) {
        std::wstring markup = L"<Window>";
        for (int i = 0; i < d.levels; ++i) markup += L"<Container>";
        for (int i = 0; i < d.levels; ++i) markup += L"</Container>";
        markup += L"</Window>";
        MemoryBuild build(markup);
        EXPECT_EQ(build.root != nullptr, d.builds) << d.levels << " levels";
    }
    // Text the parser reads differently from a naive scan must not slip deep
    // nesting past the bound.
    struct Trick {
        const char* name;
        const wchar_t* prefix;
        const wchar_t* open;
        const wchar_t* close;
    } tricks[] = {
        {"unterminated declaration", L"<?xml version=\"1.0\"?", L"<Container>", L"</Container>"},
        {"slash-close inside a value", L"", L"<Container a=\"/>\">", L"</Container>"},
        {"slash-close as text", L"", L"<Container>/>", L"</Container>"},
        {"comment start inside a value", L"", L"<Container a=\"<!--\">", L"</Container>"},
        {"processing instruction", L"<?pi ?x>", L"<Container b='?>'>", L"</Container>"},
        {"names with high bytes", L"", L"<Contai\u4E2Dner>", L"</Contai\u4E2Dner>"},
    };
    for (const Trick& t : tricks) {
        std::wstring markup = std::wstring(t.prefix) + L"<Window>";
        for (int i = 0; i < 20000; ++i) markup += t.open;
        for (int i = 0; i < 20000; ++i) markup += t.close;
        markup += L"</Window>";
        MemoryBuild build(markup);
        EXPECT_EQ(build.root, nullptr) << t.name;
    }
}

}  // namespace
}  // namespace Tessar
