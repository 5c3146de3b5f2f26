// vqtool scramble IN OUT: a plain XML file into the scrambled data-file form
// (checksum head, padding, file cipher) that LoadScrambledXmlFile reads.
#include "tools/vqtool/Command.h"

#include "common/CodePage.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlDocument.h"

namespace Tessar {
namespace {

int RunScramble(const VQToolArgs& args) {
    if (args.size() != 2)
        return ToolError(L"scramble takes IN and OUT");
    VQXmlDocument document(args[0]);
    if (!document.IsLoaded())
        return ToolError(L"cannot read XML from " + args[0] + L": " + NarrowToWide(document.ErrorDesc()));
    if (!SaveScrambledXmlFile(document, args[1]))
        return ToolError(L"cannot write " + args[1]);
    return 0;
}

const VQToolCommand kScramble(L"scramble", L"IN OUT   encipher a plain XML file into a scrambled data file",
                              RunScramble);

}  // namespace
}  // namespace Tessar
