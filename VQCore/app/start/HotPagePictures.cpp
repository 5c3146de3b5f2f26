#include "VQCore/app/start/HotPagePictures.h"

#include <cstdint>

#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/RecommendXmlFile.h"
#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/gamelib/AppPaths.h"
#include "ui/SkinManager.h"

namespace Tessar {

void PreloadHotPagePictures(VQMarloxWnd& window) {
    VQIconList* hot = window.FindIconList(kHotListId);
    if (hot == nullptr) return;
    VQRecommendXmlFile file(GetHotListPath(), VQRecommendXmlFile::HotList);
    if (!file.Load()) return;
    VQSkinManager& skins = VQSkinManager::Instance();
    // A game without a picture file shows the built-in one.
    skins.GetResourceImage(PicDefaultGame, L"PNG", 0);
    // The hot page lists the kinds one after the other; its tiles carry
    // their pictures as "file='...' encrypt='true'".
    int left = hot->GetPageCapacity();
    for (int kind = 0; kind < VQRecommendXmlFile::kKindLists && left > 0; ++kind) {
        for (int32_t id : file.GetList(kind)) {
            if (left-- <= 0) break;
            skins.GetSkinImage(GetGameIconPath(static_cast<uint32_t>(id)), 0, true);
        }
    }
}

}  // namespace Tessar
