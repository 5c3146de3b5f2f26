/* What the scan test game's version resource holds; read by the resource
   script and by the tests, which put the same texts into catalogue
   records. */
#pragma once

#define VQ_SCAN_GAME_LANGUAGE 0x0804
#define VQ_SCAN_GAME_CODE_PAGE 1200
#define VQ_SCAN_GAME_BLOCK "080404b0"

#define VQ_SCAN_GAME_DESCRIPTION L"\x9F99\x57CE\x4F20\x8BF4 Online"
#define VQ_SCAN_GAME_COMPANY L"Fixture Games Ltd"
#define VQ_SCAN_GAME_INTERNAL_NAME L"dragoncity"
#define VQ_SCAN_GAME_ORIGINAL_NAME L"DragonCity.exe"
