#pragma once
// The pictures of the hot list's first page, decoded into the picture cache
// while the start-up waits for the catalogue: the first paint after it then
// only draws them. Pictures of games the catalogue turns out not to show
// stay in the cache unused.

namespace Tessar {

class VQMarloxWnd;

void PreloadHotPagePictures(VQMarloxWnd& window);

}  // namespace Tessar
