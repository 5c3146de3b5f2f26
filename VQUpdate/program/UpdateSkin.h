#pragma once
// Where the updater's skin comes from: the skin folder beside the program
// and the layout file of the selected skin, when it is an installed one.

#include <string>

namespace Tessar {

// The program folder + "skin\".
std::wstring UpdateSkinFolder();
// The "MarloxWnd.xml" of the selected skin in that folder; empty when the
// selection names no installed skin (the built-in style is used then).
std::wstring SelectedSkinLayoutPath();

}  // namespace Tessar
