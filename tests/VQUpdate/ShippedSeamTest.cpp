// The shipped programs read no switch a test sets: the names of the
// upgrade seam's environment variables appear in the updater's test build
// (which the end-to-end runs use), and in neither Selbrin.exe nor
// Norvane.exe of the program folder.
#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/programs/upgradeseam/EnvironmentSeam.h"
#include "tests/support/LocalServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Tessar {
namespace {

using namespace ::Tessar::Test;

// The name as the program would hold it: UTF-16LE, or narrow text.
bool Holds(const std::string& bytes, const wchar_t* name) {
    std::string wide;
    std::string narrow;
    for (const wchar_t* c = name; *c != 0; ++c) {
        wide += static_cast<char>(*c & 0xFF);
        wide += static_cast<char>(*c >> 8);
        narrow += static_cast<char>(*c);
    }
    return bytes.find(wide) != std::string::npos || bytes.find(narrow) != std::string::npos;
}

TEST(ShippedSeam, OnlyTheTestBuildKnowsTheSeamsVariables) {
    struct Case {
        const char* name;
        std::wstring program;
        bool seam;
    } cases[] = {
        {"Selbrin.exe", UnixToWindowsPath(BinaryDirUnix() + "/Norvane/Selbrin.exe"), false},
        {"Norvane.exe", UnixToWindowsPath(BinaryDirUnix() + "/Norvane/Norvane.exe"), false},
        {"the updater's test build", UpdateFixturePath(L"SelbrinTestBuild.exe"), true},
    };
    const wchar_t* variables[] = {kUpgradeSeamVariable, kUpgradeSeamFileVariable, kInstanceSuffixVariable};
    for (const Case& c : cases) {
        std::string bytes = ReadBytes(c.program);
        ASSERT_GT(bytes.size(), 100000u) << c.name << ": not built";
        for (const wchar_t* variable : variables)
            EXPECT_EQ(c.seam, Holds(bytes, variable)) << c.name << ": " << std::string(variable, variable + wcslen(variable));
    }
}

}  // namespace
}  // namespace Tessar
