#pragma once
// The page bar of an icon list: previous button, a strip of numbered page
// tabs (nine visible at a time, moving in steps of four) and next button.

#include <string>

#include "VQCore/app/start/AppControlTypes.h"
#include "ui/Container.h"
#include "ui/TabCtrl.h"

namespace Tessar {

class VQIconList;
class VQPageTabCtrl;

class VQIconListControl : public VQContainer {
public:
    explicit VQIconListControl(VQIconList* owner) : m_owner(owner) {}

    int GetControlType() const override { return ControlTypeIconListControl; }
    VQControl* GetInterface(int type) override;
    // Spacer, previous, tab strip, next, spacer.
    void DoInit() override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // A click of the previous or next button.
    bool Activate(VQEvent& event) override;

    void AddPageTab(int pageId);
    void RemovePageTab();
    // Makes the page (1-based) fall inside the window of visible tabs.
    void ScrollTabsTo(int pageNumber);

    int GetTabCount() const { return m_tabCount; }
    int GetTabGroup() const { return m_group; }
    VQPageTabCtrl* GetTabStrip() const { return m_tabStrip; }
    VQControl* GetPreviousButton() const { return m_previous; }
    VQControl* GetNextButton() const { return m_next; }
    VQIconList* GetOwner() const { return m_owner; }
    // Forgets the tabs (the strip removes them).
    void ResetTabs();

    // Tabs shown at a time.
    static const int kVisibleTabs = 9;

private:
    void UpdateButtons(int threshold);

    VQIconList* m_owner;
    int m_group = 0;
    int m_tabCount = 0;
    VQPageTabCtrl* m_tabStrip = nullptr;
    VQControl* m_previous = nullptr;
    VQControl* m_next = nullptr;
    std::wstring m_prevImages[3];
    std::wstring m_nextImages[3];
};

class VQPageTabCtrl : public VQTabCtrl {
public:
    explicit VQPageTabCtrl(VQIconListControl* owner) : m_owner(owner) {}

    int GetControlType() const override { return ControlTypePageTabCtrl; }
    VQControl* GetInterface(int type) override;
    // The width of the visible tabs, so that the bar can centre the strip.
    SIZE GetFixedSize(int availableWidth, int availableHeight) override;
    void SetSelectedItem(VQTabItem* item) override;

private:
    VQIconListControl* m_owner;
};

}  // namespace Tessar
