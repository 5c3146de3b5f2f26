// vqtool encipher IN OUT: a whole file through the program's file cipher,
// as enciphered pictures (encrypt='true' images, game icons) are stored.
#include "tools/vqtool/Command.h"

#include "common/Buffer.h"
#include "common/FileCipher.h"
#include "common/FileHandle.h"
#include "common/FileReplace.h"

namespace Tessar {
namespace {

int RunEncipher(const VQToolArgs& args) {
    if (args.size() != 2) return ToolError(L"encipher takes IN and OUT");
    VQBuffer<unsigned char> bytes;
    if (!ReadFileToBuffer(args[0], bytes) || bytes.size == 0) return ToolError(L"cannot read " + args[0]);
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    if (!CipherBuffer(bytes.size, key, bytes.data, bytes.data, true)) return ToolError(args[0] + L" is too short");
    if (!WriteBytesReplacing(args[1], bytes.data, bytes.size)) return ToolError(L"cannot write " + args[1]);
    return 0;
}

const VQToolCommand kEncipher(L"encipher", L"IN OUT   encipher a whole file with the file cipher", RunEncipher);

}  // namespace
}  // namespace Tessar
