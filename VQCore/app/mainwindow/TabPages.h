#pragma once
// The pages of a tab control: each tab item names its page by "controlid";
// the toolkit only invalidates pages, so the window shows the page of the
// selected item and hides the pages of the others when the tab control
// reports a selection (notification 13).

namespace Tessar {

class VQPaintManager;
class VQTabCtrl;

// True when the selected item named a page that exists.
bool ShowSelectedTabPage(VQPaintManager& manager, VQTabCtrl& tabs);

}  // namespace Tessar
