#pragma once
// The images of the program's commands: PNG resources decoded with WIC,
// kept by command id and handed out as bitmaps or icons of any size. The
// store owns every bitmap and icon it hands out; they live as long as the
// store (or until the command's image is replaced).
//
// WIC is a COM library: the calling thread must have initialised COM.
#include <windows.h>

#include <map>
#include <memory>
#include <utility>

#include "ozcore/UniqueHandle.h"
#include "ui/widgets/GdiHandles.h"

class ImageStore {
 public:
  ImageStore();
  ~ImageStore();
  ImageStore(const ImageStore&) = delete;
  ImageStore& operator=(const ImageStore&) = delete;

  // Decodes the PNG resource (type "PNG") of module and keeps it under
  // commandId, replacing any earlier image. False when the resource is
  // missing or not a readable PNG; the store is then unchanged.
  bool AddImage(int commandId, HMODULE module, int resourceId);
  bool Contains(int commandId) const;
  // The decoded image's own size; false when there is no image.
  bool NaturalSize(int commandId, int& width, int& height) const;

  // The image scaled to size x size: a top-down 32-bit DIB section with
  // premultiplied alpha (what AlphaBlend and image lists take), or an icon
  // with its alpha channel. Null when there is no image for commandId.
  HBITMAP Bitmap(int commandId, int size);
  HICON Icon(int commandId, int size);

  // One-off decoding without a store; the caller owns the result.
  static UniqueGdiObject LoadPngBitmap(HMODULE module, int resourceId, int width, int height);
  static UniqueIcon LoadPngIcon(HMODULE module, int resourceId, int width, int height);
  // An image list of size x size holding the one PNG resource as an icon
  // (the rows' or the tree nodes' picture); null when it cannot be made.
  static UniqueImageList SingleIconList(HMODULE module, int resourceId, int size);

 private:
  struct Image;
  std::map<int, std::unique_ptr<Image>> images_;
};
