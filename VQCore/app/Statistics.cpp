#include "VQCore/app/Statistics.h"

namespace Tessar {

bool ReportStatistic(uint32_t type, uint32_t gameId, const std::wstring& extra) {
    (void)type;
    (void)gameId;
    (void)extra;
    return false;
}

}  // namespace Tessar
