#include "VQCore/app/operations/RunKey.h"

#include "VQCore/app/pages/GameIcon.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(RunKey, IsTheMd5OfTheLowerCasedProgramAndArguments) {
    struct Case {
        const wchar_t* program;
        const wchar_t* arguments;
        const wchar_t* key;
    } cases[] = {
        {L"", L"", L""},
        {L"c:\\games\\a.exe", L"-x", L"B856DE28262385AAE3604B7C7F1DDE2E"},
        {L"C:\\Games\\A.EXE", L"-X", L"B856DE28262385AAE3604B7C7F1DDE2E"},
        {L"", L"-window", L"3EB1005A9D24C023BA534D2B5301754B"},
        {L"C:\\G\\Demo.exe", L"", L"96D7807EB949016131DB63EE435FE1FB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.key, MakeRunKey(c.program, c.arguments)) << Narrow(c.program) << " " << Narrow(c.arguments);
}

TEST(RunKey, RunIdCarriesTheKeyInBracesOnlyWhenThereIsOne) {
    EXPECT_EQ(L"00123", MakeRunId(123, L""));
    EXPECT_EQ(L"00042.{B856DE28262385AAE3604B7C7F1DDE2E}", MakeRunId(42, L"B856DE28262385AAE3604B7C7F1DDE2E"));
    EXPECT_EQ(L"90001", MakeRunId(90001, L""));
}

// A second start's request names a tile by id and, optionally, its key.
TEST(RunKey, ARequestMatchesByIdAndKeyInAnyLetterCase) {
    VQGameIcon tile;
    tile.SetGameId(42);
    tile.SetFullPath(L"C:\\Games\\A.EXE");
    tile.SetRunArg(L"-X");
    const std::wstring key = L"B856DE28262385AAE3604B7C7F1DDE2E";
    std::wstring lower = key;
    for (wchar_t& c : lower) c = towlower(c);
    struct Case {
        const char* name;
        uint32_t id;
        std::wstring key;
        bool matches;
    } cases[] = {
        {"id alone", 42, L"", true},
        {"id and key", 42, key, true},
        {"key in lower case", 42, lower, true},
        {"other id", 43, key, false},
        {"other key", 42, L"00000000000000000000000000000000", false},
        {"key cut short", 42, key.substr(0, 31), false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.matches, RunKeyMatches(tile, c.id, c.key)) << c.name;
}

}  // namespace
}  // namespace Tessar
