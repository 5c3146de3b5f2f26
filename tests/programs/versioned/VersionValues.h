/* What the versioned test program's version resource holds; read by the
   resource script and by the tests that check it. Two translations: the
   second holds another CompanyName and the only OriginalFilename, the first
   the only InternalName. */
#pragma once

#define VQ_VERSIONED_PRODUCT_MAJOR 1
#define VQ_VERSIONED_PRODUCT_MINOR 2
#define VQ_VERSIONED_PRODUCT_BUILD 3
#define VQ_VERSIONED_PRODUCT_REVISION 4
#define VQ_VERSIONED_FILE_MAJOR 5
#define VQ_VERSIONED_FILE_MINOR 6
#define VQ_VERSIONED_FILE_BUILD 7
#define VQ_VERSIONED_FILE_REVISION 8

#define VQ_VERSIONED_LANGUAGE_1 0x0409
#define VQ_VERSIONED_CODE_PAGE_1 1200
#define VQ_VERSIONED_BLOCK_1 "040904b0"
#define VQ_VERSIONED_LANGUAGE_2 0x0804
#define VQ_VERSIONED_CODE_PAGE_2 1200
#define VQ_VERSIONED_BLOCK_2 "080404b0"

#define VQ_VERSIONED_COMPANY_1 L"First Maker Ltd"
#define VQ_VERSIONED_COMPANY_2 L"\x5929\x5E73\x6E38\x620F Games"
#define VQ_VERSIONED_DESCRIPTION_1 L"Versioned test program"
#define VQ_VERSIONED_DESCRIPTION_2 L"\x7248\x672C\x6D4B\x8BD5"
#define VQ_VERSIONED_INTERNAL_NAME_1 L"versioned-inner"
#define VQ_VERSIONED_ORIGINAL_NAME_2 L"VersionedProgram.exe"
