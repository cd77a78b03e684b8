#pragma once
// The splash and About pictures: PNG resources of the program's own file,
// decoded at the size the window needs at its DPI (they are drawn larger
// than needed, so scaling them down keeps them sharp).
#include <windows.h>

#include "ozcore/UniqueHandle.h"

namespace Picture {

// Null when the resource is missing or unreadable.
UniqueGdiObject Load(int resourceId, int width, int height);
// Copies the whole picture to dc at x, y, in its own size.
void Draw(HDC dc, HGDIOBJ picture, int x, int y);

}  // namespace Picture
