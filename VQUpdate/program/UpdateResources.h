#pragma once
// Resource ids of the updater program: its string table, its layout and
// style, and the ids of the controls the code uses. Shared by the code and
// Selbrin.rc.

#define VQ_UPDATE_STYLE_RESOURCE 133   // style overlay, window "UpdateWnd"
#define VQ_UPDATE_LAYOUT_RESOURCE 134  // layout, window "UpdateWnd"

#define IDS_UPDATE_ALREADY_RUNNING 1005
#define IDS_UPDATE_TITLE 1006
#define IDS_UPDATE_ASK_INSTALL 1007
#define IDS_UPDATE_CANNOT_CLOSE 1008
#define IDS_UPDATE_DOWNLOADED 1009
#define IDS_UPDATE_FAILED 1011
#define IDS_UPDATE_KEPT_RUNNING 1012
#define IDS_UPDATE_UP_TO_DATE 1013
#define IDS_UPDATE_CURRENT_VERSION 1014
#define IDS_UPDATE_NEW_VERSION 1015
#define IDS_UPDATE_DOWNLOADING 1017
#define IDS_UPDATE_MANAGER_TITLE 1018

#ifdef __cplusplus
namespace Tessar {

// Controls of the layout "UpdateWnd".
enum VQUpdateControlId : int {
    kUpdateCloseButton = 100,
    kUpdateCurrentVersionLabel = 101,
    kUpdateNewVersionLabel = 102,
    kUpdateStatusLabel = 103,
    kUpdateProgress = 104,
    kUpdateExitButton = 105,
    kUpdateBackground = 106,
    kUpdateBanner = 107,
};

}  // namespace Tessar
#endif
