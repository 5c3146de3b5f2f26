#include "VQCore/app/start/ControlFactory.h"

#include <cwchar>
#include <memory>
#include <new>

#include "VQCore/app/environment/EnvironmentElement.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconToolBar.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/windows/SkinContainer.h"
#include "VQCore/app/mainwindow/TabTop.h"

namespace Tessar {

namespace {

template <class T>
VQControl* Make() {
    return new (std::nothrow) T();
}

struct TagRow {
    const wchar_t* tag;
    VQControl* (*make)();
};

// In the order the tags are compared.
const TagRow kTags[] = {
    {L"TabTop", &Make<VQTabTop>},
    {L"IconList", &Make<VQIconList>},
    {L"SkinContainer", &Make<VQSkinContainer>},
    {L"GameIconToolBar", &Make<VQGameIconToolBar>},
    {L"GameIcon", &Make<VQGameIcon>},
    {L"EnvironmentItem", &Make<VQEnvironmentElement>},
};

}  // namespace

VQControl* VQDialogBuilderCallbackEx::CreateControl(const wchar_t* tag) {
    if (!tag) return nullptr;
    for (const TagRow& row : kTags)
        if (std::wcscmp(tag, row.tag) == 0) return row.make();
    return nullptr;
}

std::unique_ptr<IGameTile> MakeGameTile() {
    return std::unique_ptr<IGameTile>(new (std::nothrow) VQGameIcon());
}

}  // namespace Tessar
