// Each of the four programs of the program folder carries its manifest as
// resource 1 of type RT_MANIFEST, asking for administrator rights and for
// version 6 of the common controls. Read from the built files as data.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/XmlDocument.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

// The manifest's text; empty when the program has none.
std::string ManifestOf(const std::wstring& program) {
    HMODULE module =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return std::string();
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) text.assign(static_cast<const char*>(bytes), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// The first element of that name anywhere below the node.
const TiXmlElement* FindElement(const TiXmlNode* node, const char* name) {
    for (const TiXmlElement* child = node->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (child->ValueStr() == name) return child;
        if (const TiXmlElement* below = FindElement(child, name)) return below;
    }
    return nullptr;
}

std::string AttributeOf(const TiXmlElement* element, const char* name) {
    const char* value = element != nullptr ? element->Attribute(name) : nullptr;
    return value != nullptr ? value : "";
}

TEST(ProgramManifest, EachProgramAsksForAdministratorRightsAndCommonControls6) {
    const wchar_t* programs[] = {L"Norvane.exe", L"Selbrin.exe", L"Pallico.exe", L"Dravenn.exe"};
    for (const wchar_t* program : programs) {
        const std::string name(program, program + wcslen(program));
        const std::string text = ManifestOf(BuildPath(std::wstring(L"Norvane\\") + program));
        ASSERT_FALSE(text.empty()) << name << ": no manifest";
        VQXmlDocument manifest;
        ASSERT_TRUE(manifest.ParseText(text.c_str())) << name << ": " << text;
        const TiXmlElement* level = FindElement(&manifest, "requestedExecutionLevel");
        EXPECT_EQ("requireAdministrator", AttributeOf(level, "level")) << name;
        const TiXmlElement* dependency = FindElement(&manifest, "dependentAssembly");
        ASSERT_NE(nullptr, dependency) << name;
        const TiXmlElement* controls = FindElement(dependency, "assemblyIdentity");
        EXPECT_EQ("Microsoft.Windows.Common-Controls", AttributeOf(controls, "name")) << name;
        EXPECT_EQ("6.0.0.0", AttributeOf(controls, "version")) << name;
        EXPECT_EQ("6595b64144ccf1df", AttributeOf(controls, "publicKeyToken")) << name;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
