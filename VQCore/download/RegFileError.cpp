#include "VQCore/download/RegFileError.h"

#include "common/CodePage.h"
#include "common/FormatText.h"

#include <stdexcept>

namespace Tessar {

const char kRegLoadFailed[] = "Load file failed";
const char kRegWrongFormat[] = "Wrong file format";
const char kRegParsingFailed[] = "Parsing failed.";
const char kRegKeysListEmpty[] = "Keys list is empty";
const char kRegValueDataMissing[] = "Value data not found for founded value name";

void ThrowRegistryFailure(uint32_t error) {
    throw std::runtime_error(WideToNarrow(FormatString(L"Operate registry failed(%d)", static_cast<int>(error))));
}

}  // namespace Tessar
