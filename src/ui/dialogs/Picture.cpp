#include "ui/dialogs/Picture.h"

#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/ImageStore.h"

namespace Picture {

UniqueGdiObject Load(int resourceId, int width, int height) {
  try {
    return ImageStore::LoadPngBitmap(GetModuleHandleW(nullptr), resourceId, width, height);
  } catch (...) {
    return UniqueGdiObject();
  }
}

void Draw(HDC dc, HGDIOBJ picture, int x, int y) {
  BITMAP bm{};
  if (!picture || !GetObjectW(picture, sizeof(bm), &bm)) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  const HGDIOBJ old = SelectObject(source.get(), picture);
  BitBlt(dc, x, y, bm.bmWidth, std::abs(bm.bmHeight), source.get(), 0, 0, SRCCOPY);
  SelectObject(source.get(), old);
}

}  // namespace Picture
