// Which texts count as web addresses the shell may open, and that anything
// else handed to OpenWebAddress starts nothing (a script that would leave a
// mark when the shell ran it).
#include "common/WebAddress.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(WebAddress, OnlyHttpAndHttpsAddressesWithAHostAreWebAddresses) {
    const struct {
        const wchar_t* text;
        bool web;
    } cases[] = {
        {L"http://www.example.com/", true},
        {L"https://www.example.com/reg?id=12&x=%20", true},
        {L"HTTP://WWW.EXAMPLE.COM", true},
        {L"hTtPs://127.0.0.1:8080/path#part", true},
        {L"http://user@host/", true},
        {L"http://\x6E38\x620F.example/", true},  // a host in Chinese
        {L"", false},
        {L"http://", false},
        {L"https://", false},
        {L"http:///x.exe", false},
        {L"http://?q", false},
        {L"http:/host/", false},
        {L"http:\\\\host\\share\\x.exe", false},
        {L"\\\\host\\share\\x.exe", false},
        {L"//host/share/x.exe", false},
        {L"C:\\x.exe", false},
        {L"C:/Games/run.bat", false},
        {L"x.exe", false},
        {L"file:///C:/Windows/system32/calc.exe", false},
        {L"file://host/share/x.exe", false},
        {L"javascript:alert(1)", false},
        {L"mailto:someone@example.com", false},
        {L"ftp://example.com/x.exe", false},
        {L"httpx://example.com/", false},
        {L"\"http://ok\"", false},
        {L"http://ok\" \\\\host\\share\\x.exe", false},
        {L" https://x", false},
        {L"https://x ", false},
        {L"\thttp://x", false},
        {L"http://x/a b", false},
        {L"http://x/\r\nEvil: 1", false},
        {L"http://x/\x85", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.web, IsWebAddress(c.text)) << "\"" << Narrow(c.text) << "\"";
}

TEST(WebAddress, WhatIsNoWebAddressIsNeverHandedToTheShell) {
    VQTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::wstring mark = folder.PathOf(L"ran.txt");
    ASSERT_TRUE(folder.WriteFile(L"run.cmd", "@echo ran> \"" + Narrow(mark) + "\"\r\n"));
    const std::wstring script = folder.PathOf(L"run.cmd");
    std::wstring forward = script;
    for (wchar_t& c : forward)
        if (c == L'\\') c = L'/';
    const std::wstring addresses[] = {
        script, L"\"" + script + L"\"", L"file:///" + forward, L" " + script, L"http:" + script,
    };
    for (const std::wstring& address : addresses)
        EXPECT_FALSE(OpenWebAddress(address)) << Narrow(address);
    // The shell starts a script on its own time: give it what it needs.
    for (int i = 0; i < 50 && ::GetFileAttributesW(mark.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(100);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(mark.c_str())) << "a refused address ran the script";
}

}  // namespace
}  // namespace Tessar
