#pragma once
// Path macros of package installation: a name between two "##" marks that
// stands for a Windows special folder ("##program_files##", "##my_desktop##",
// ...) or for the install folder ("##install##"). Top-level package folders
// named with a macro are created at that folder, and every text a package
// carries (metadata, registry file, task script) has its macros expanded.
//
// Threads: the fixed table is filled once per process on first use, under
// a lock; a VQInstallMacros object belongs to one install.

#include <map>
#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kInstallMacro[];  // "install"

// Tests only: the fixed table becomes exactly these names (lower case) and
// folders, so that no install writes into the real user's folders; null
// gives the system's folders again.
void SetFixedMacroFolders(const std::map<std::wstring, std::wstring>* folders);

// Value of a fixed macro (lower-case name); false for an unknown name. A
// folder the system cannot give has an empty value.
bool FindFixedMacro(const std::wstring& name, std::wstring& value);
// Every non-empty value of the fixed table.
std::vector<std::wstring> FixedMacroFolders();
// The names of the fixed table, lower case, in table order.
std::vector<std::wstring> FixedMacroNames();

class VQInstallMacros {
public:
    // Sets a macro of this install ("install"); searched before the fixed
    // table.
    void Set(const std::wstring& name, const std::wstring& value);
    // Case-insensitive name without the "##" marks.
    bool Find(const std::wstring& name, std::wstring& value) const;

    // Finds the first "##" pair; when it encloses a known macro, replaces
    // every occurrence of that marked name and starts again; otherwise the
    // text stays as it is (later pairs are not looked at). A value that
    // brings its own macro back could go on forever: expansion is bounded,
    // and false (out holding the text unchanged) means it did not settle.
    bool Expand(const std::wstring& text, std::wstring& out) const;
    // The expanded text, or the text unchanged when it does not settle.
    std::wstring Expand(const std::wstring& text) const;

private:
    std::map<std::wstring, std::wstring> m_set;
};

}  // namespace Tessar
