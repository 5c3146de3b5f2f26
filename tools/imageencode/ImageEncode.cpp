#include "tools/imageencode/ImageEncode.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace Tessar {
namespace {

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

bool EncodePng(const unsigned char* rgba, int width, int height, std::string& bytes) {
    bytes.clear();
    return stbi_write_png_to_func(&AppendBytes, &bytes, width, height, 4, rgba, width * 4) != 0;
}

bool EncodeBmp(const unsigned char* rgba, int width, int height, std::string& bytes) {
    bytes.clear();
    return stbi_write_bmp_to_func(&AppendBytes, &bytes, width, height, 4, rgba) != 0;
}

}  // namespace Tessar
