#pragma once
// The platform's windowless rich-text interfaces (declared by the SDK
// header textserv.h) and their interface ids, which the import library
// only offers as data imported from riched20.dll: we keep our own copies
// of the published values so nothing depends on the DLL's data exports.

#include <windows.h>
#include <imm.h>
#include <richedit.h>
#include <textserv.h>

#include <cstdint>

namespace Tessar {

// {8D33F740-CF58-11CE-A89D-00AA006CADC5}
const IID kIidTextServices = {0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
// {C5BDD8D0-D26E-11CE-A89E-00AA006CADC5}
const IID kIidTextHost = {0xc5bdd8d0, 0xd26e, 0x11ce, {0xa8, 0x9e, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};

// 0xAARRGGBB to COLORREF (0x00BBGGRR).
inline COLORREF ArgbToColorRef(uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace Tessar
