// The toolkit's control tags; any other tag is offered to the application.
#include "ui/DialogBuilder.h"

#include "ui/ActiveX.h"
#include "ui/Button.h"
#include "ui/Combo.h"
#include "ui/Container.h"
#include "ui/Edit.h"
#include "ui/Label.h"
#include "ui/Layouts.h"
#include "ui/Menu.h"
#include "ui/Option.h"
#include "ui/Progress.h"
#include "ui/RichEdit.h"
#include "ui/TabCtrl.h"

namespace Tessar {

namespace {

template <typename T>
VQControl* Make() {
    return new T;
}

const struct {
    const wchar_t* tag;
    VQControl* (*make)();
} kToolkitTags[] = {
    {L"Control", Make<VQControl>},
    {L"Container", Make<VQContainer>},
    {L"VerticalLayout", Make<VQVerticalLayout>},
    {L"HorizontalLayout", Make<VQHorizontalLayout>},
    {L"Label", Make<VQLabel>},
    {L"Button", Make<VQButton>},
    {L"Progress", Make<VQProgress>},
    {L"Edit", Make<VQEdit>},
    {L"Option", Make<VQOption>},
    {L"Combo", Make<VQCombo>},
    {L"ComboElement", Make<VQComboElement>},
    {L"TabCtrl", Make<VQTabCtrl>},
    {L"TabItem", Make<VQTabItem>},
    {L"Menu", Make<VQMenu>},
    {L"MenuElement", Make<VQMenuElement>},
    {L"RichEdit", Make<VQRichEdit>},
    {L"ActiveX", Make<VQActiveX>},
};

}  // namespace

VQControl* VQDialogBuilder::CreateByTag(const std::wstring& tag) {
    for (const auto& entry : kToolkitTags)
        if (tag == entry.tag) return entry.make();
    if (m_callback != nullptr) return m_callback->CreateControl(tag.c_str());
    return nullptr;
}

}  // namespace Tessar
