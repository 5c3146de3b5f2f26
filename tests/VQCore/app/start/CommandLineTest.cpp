#include "VQCore/app/start/CommandLine.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

struct CommandLineCase {
    const char* name;
    const wchar_t* argument;
    uint32_t flags;
    uint32_t gameId;
    const wchar_t* arguments;
};

const CommandLineCase kCases[] = {
    {"no argument", L"", 0, 0, L""},
    {"background", L"-background", kStartBackground, 0, L""},
    {"background upper case", L"-BACKGROUND", kStartBackground, 0, L""},
    {"background with a tail is no word", L"-background2", 0, 0, L""},
    {"background prefix only", L"-backgroun", 0, 0, L""},
    {"update data", L"-update_data", kStartUpdateData, 0, L""},
    {"update data mixed case", L"-Update_Data", kStartUpdateData, 0, L""},
    {"exec with id and arguments", L"-exec_app=00042.{-fullscreen}", kStartExecApp, 42, L"-fullscreen"},
    {"exec id of four digits", L"-exec_app=0042.{x}", kStartExecApp, 0, L""},
    {"exec id without a point", L"-exec_app=123", kStartExecApp, 123, L""},
    {"exec without closing brace", L"-exec_app=00042.{abc", kStartExecApp, 42, L""},
    {"exec without equals", L"-exec_app", kStartExecApp, 0, L""},
    {"exec prefix is enough for the flag", L"-EXEC_APPLE", kStartExecApp, 0, L""},
    {"exec id stops at the first non-digit", L"-exec_app=12a45.{y}", kStartExecApp, 12, L"y"},
    {"exec empty braces", L"-exec_app=70001.{}", kStartExecApp, 70001, L""},
    {"exec arguments with blanks", L"-exec_app=00007.{-w 800 -h 600}", kStartExecApp, 7, L"-w 800 -h 600"},
    {"unknown word", L"-silent", 0, 0, L""},
};

TEST(CommandLine, FirstArgumentGivesFlagsIdAndArguments) {
    for (const CommandLineCase& c : kCases) {
        VQCommandLine line = ParseFirstArgument(c.argument);
        EXPECT_EQ(c.flags, line.flags) << c.name;
        EXPECT_EQ(c.gameId, line.exec.gameId) << c.name;
        EXPECT_EQ(std::wstring(c.arguments), line.exec.arguments) << c.name;
        EXPECT_EQ(std::wstring(c.argument), line.firstArgument) << c.name;
    }
}

TEST(CommandLine, ProcessCommandLineOfATestProgramSetsNoFlag) {
    // The test program runs with gtest's own arguments, none of which is a manager word.
    VQCommandLine line = ParseProcessCommandLine();
    EXPECT_EQ(0u, line.flags);
}

}  // namespace
}  // namespace Tessar
