#pragma once
// The splash and About pictures: PNG resources of the program's own file,
// decoded into bitmaps at the size the window needs at its DPI (they are
// drawn larger than needed, so scaling them down keeps them sharp).
#include <windows.h>

#include "ozcore/UniqueHandle.h"

namespace PngBitmap {

// The PNG resource decoded at width x height; null when the resource is
// missing or cannot be decoded.
UniqueGdiObject Decode(int resourceId, int width, int height);
// Copies the whole bitmap to dc at x, y, in its own size.
void Draw(HDC dc, HGDIOBJ bitmap, int x, int y);

}  // namespace PngBitmap
