// The main window's downloads: what a click on a download-page tile means
// and how a game gets onto the download page.

#include "VQCore/app/MarloxWnd.h"

#include "VQCore/app/GameIcon.h"

namespace Tessar {

void VQMarloxWnd::OnDownloadTileAction(VQGameIcon* tile) { (void)tile; }

void VQMarloxWnd::DownloadTile(VQGameIcon* tile) { (void)tile; }

}  // namespace Tessar
