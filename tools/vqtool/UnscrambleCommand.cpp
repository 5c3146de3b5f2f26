// vqtool unscramble IN OUT: the plain XML text of a scrambled data file,
// checksum element included, without the zero padding.
#include "tools/vqtool/Command.h"

#include "common/Buffer.h"
#include "common/FileReplace.h"
#include "common/NumberText.h"
#include "common/ScrambledXmlFile.h"

namespace Tessar {
namespace {

int RunUnscramble(const VQToolArgs& args) {
    if (args.size() != 2)
        return ToolError(L"unscramble takes IN and OUT");
    VQBuffer<char> plain;
    int32_t result = ReadScrambledFile(args[0], plain);
    if (result != kScrambledLoaded)
        return ToolError(L"cannot unscramble " + args[0] + L" (code " + IntToString(result) + L")");
    uint32_t length = plain.size;
    while (length > 0 && plain.data[length - 1] == '\0')
        --length;
    if (!WriteBytesReplacing(args[1], plain.data, length))
        return ToolError(L"cannot write " + args[1]);
    return 0;
}

const VQToolCommand kUnscramble(L"unscramble", L"IN OUT   decipher and check a scrambled data file",
                                RunUnscramble);

}  // namespace
}  // namespace Tessar
