#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Container.h"
#include "ui/Layouts.h"

namespace Tessar {
namespace {

// Counts its own destruction and records its paint step.
class ProbeControl : public VQControl {
public:
    ProbeControl(int* deaths, std::vector<std::wstring>* painted = nullptr, const wchar_t* name = L"")
        : m_deaths(deaths), m_painted(painted) {
        SetName(name);
    }
    ~ProbeControl() override {
        if (m_deaths) ++*m_deaths;
    }
    void PaintBkColor(HDC) override {
        if (m_painted) m_painted->push_back(GetName());
    }

private:
    int* m_deaths;
    std::vector<std::wstring>* m_painted;
};

TEST(Container, AddRemoveAndIndexes) {
    int deaths = 0;
    VQContainer box;
    EXPECT_FALSE(box.Add(nullptr));
    ProbeControl* a = new ProbeControl(&deaths);
    ProbeControl* b = new ProbeControl(&deaths);
    ProbeControl* c = new ProbeControl(&deaths);
    EXPECT_TRUE(box.Add(a));
    EXPECT_TRUE(box.Add(c));
    EXPECT_TRUE(box.AddAt(b, 1));
    EXPECT_EQ(&box, b->GetParent());
    EXPECT_EQ(3, box.GetCount());
    EXPECT_EQ(1, box.GetItemIndex(b));
    EXPECT_EQ(nullptr, box.GetItemAt(-1));
    EXPECT_EQ(nullptr, box.GetItemAt(3));
    EXPECT_TRUE(box.SetItemIndex(a, 2));
    EXPECT_EQ(b, box.GetItemAt(0));
    EXPECT_EQ(c, box.GetItemAt(1));
    EXPECT_EQ(a, box.GetItemAt(2));
    int outsider = 0;
    ProbeControl stranger(&outsider);
    EXPECT_FALSE(box.SetItemIndex(&stranger, 0));
    EXPECT_FALSE(box.Remove(&stranger));
    EXPECT_FALSE(box.RemoveAt(5));
    EXPECT_TRUE(box.RemoveAt(0));
    EXPECT_EQ(1, deaths);
    EXPECT_EQ(2, box.GetCount());
    box.RemoveAll();
    EXPECT_EQ(3, deaths);
    EXPECT_EQ(0, box.GetCount());
}

TEST(Container, WithoutAutoDestroyRemovedChildrenStayAlive) {
    int deaths = 0;
    ProbeControl* a = new ProbeControl(&deaths);
    ProbeControl* b = new ProbeControl(&deaths);
    {
        VQContainer box;
        box.SetAutoDestroy(false);
        box.Add(a);
        box.Add(b);
        EXPECT_TRUE(box.Remove(a));
        EXPECT_EQ(0, deaths);
        box.RemoveAll();
        EXPECT_EQ(0, deaths);
        box.Add(a);
    }
    // The destructor's RemoveAll deletes nothing either.
    EXPECT_EQ(0, deaths);
    delete a;
    delete b;
    EXPECT_EQ(2, deaths);
}

TEST(Container, DestructorFreesTheWholeTree) {
    int deaths = 0;
    {
        VQVerticalLayout root;
        VQHorizontalLayout* row = new VQHorizontalLayout;
        row->Add(new ProbeControl(&deaths));
        row->Add(new ProbeControl(&deaths));
        root.Add(row);
        root.Add(new ProbeControl(&deaths));
        root.EnableScrollBar(true, true);
    }
    EXPECT_EQ(3, deaths);
}

VQControl* CollectNames(VQControl* control, void* data) {
    static_cast<std::vector<std::wstring>*>(data)->push_back(control->GetName());
    return nullptr;
}

TEST(Container, FindControlWalkOrders) {
    VQContainer root;
    root.SetName(L"root");
    VQContainer* inner = new VQContainer;
    inner->SetName(L"inner");
    VQControl* a = new VQControl;
    a->SetName(L"a");
    VQControl* b = new VQControl;
    b->SetName(L"b");
    b->SetVisible(false);
    inner->Add(a);
    root.Add(inner);
    root.Add(b);

    struct Case {
        unsigned flags;
        std::vector<std::wstring> expected;
    } cases[] = {
        {0, {L"a", L"inner", L"b", L"root"}},
        {FindVisible, {L"a", L"inner", L"root"}},
        {FindLastFirst, {L"b", L"a", L"inner", L"root"}},
        // Top first: a container is asked before its children and once more after them.
        {FindMeFirst | FindVisible, {L"root", L"inner", L"a", L"inner", L"root"}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> seen;
        root.FindControl(&CollectNames, &seen, c.flags);
        EXPECT_EQ(c.expected, seen) << std::hex << c.flags;
    }
}

TEST(Container, HitTestFindsTheTopmostChildUnderThePoint) {
    VQContainer root;
    root.SetInset(10, 10, 10, 10);
    VQControl* a = new VQControl;
    VQControl* b = new VQControl;
    b->SetCut(0, 0, 50, 0);
    root.Add(a);
    root.Add(b);
    root.SetPos(0, 0, 100, 100);  // stacked: both children cover 10,10..90,90
    auto hit = [](VQControl* c, void*) -> VQControl* { return c; };
    struct Case {
        POINT pt;
        VQControl* expected;
    } cases[] = {
        {{20, 20}, b},       // last child first
        {{60, 20}, a},       // b's cut takes its right 50 pixels out of the hit area
        {{5, 5}, &root},     // inside the item, outside the client area
        {{150, 5}, nullptr}, // outside
    };
    for (const auto& c : cases) {
        POINT pt = c.pt;
        EXPECT_EQ(c.expected, root.FindControl(hit, &pt, FindVisible | FindEnabled | FindHitTest | FindLastFirst))
            << pt.x << "," << pt.y;
    }
}

TEST(Container, TopmostChildIsPaintedAfterItsLaterSiblings) {
    std::vector<std::wstring> painted;
    VQHorizontalLayout root;
    ProbeControl* a = new ProbeControl(nullptr, &painted, L"a");
    ProbeControl* top = new ProbeControl(nullptr, &painted, L"top");
    ProbeControl* c = new ProbeControl(nullptr, &painted, L"c");
    ProbeControl* hidden = new ProbeControl(nullptr, &painted, L"hidden");
    ProbeControl* outside = new ProbeControl(nullptr, &painted, L"outside");
    top->SetAttribute(L"format", L"topmost");
    hidden->SetVisible(false);
    outside->SetAttribute(L"absfloat", L"true");
    outside->SetAttribute(L"pos", L"500,500,510,510");
    for (VQControl* child : {static_cast<VQControl*>(a), static_cast<VQControl*>(top), static_cast<VQControl*>(c),
                             static_cast<VQControl*>(hidden), static_cast<VQControl*>(outside)})
        root.Add(child);
    root.SetPos(0, 0, 90, 30);
    HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, dc);
    RECT all = {0, 0, 90, 30};
    root.DoPaint(dc, all);
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"c", L"top"}), painted);
    // A paint rectangle over the first child only paints that child.
    painted.clear();
    RECT first = {0, 0, 10, 30};
    root.DoPaint(dc, first);
    EXPECT_EQ((std::vector<std::wstring>{L"a"}), painted);
    ::DeleteDC(dc);
}

}  // namespace
}  // namespace Tessar
