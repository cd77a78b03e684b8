#include "ui/dialogs/PngBitmap.h"

#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/ImageStore.h"

namespace PngBitmap {

UniqueGdiObject Decode(int resourceId, int width, int height) {
  return ImageStore::LoadPngBitmap(GetModuleHandleW(nullptr), resourceId, width, height);
}

void Draw(HDC dc, HGDIOBJ bitmap, int x, int y) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm)) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  const HGDIOBJ old = SelectObject(source.get(), bitmap);
  BitBlt(dc, x, y, bm.bmWidth, std::abs(bm.bmHeight), source.get(), 0, 0, SRCCOPY);
  SelectObject(source.get(), old);
}

}  // namespace PngBitmap
