#include "ui/widgets/ImageStore.h"

#include <commctrl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// Pixels in memory, 4 bytes per pixel (B, G, R, A), rows top-down.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgra;  // straight (not premultiplied) alpha
};

ComPtr<IWICImagingFactory> Factory() {
  ComPtr<IWICImagingFactory> factory;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  return factory;
}

// The bytes of a resource of type "PNG"; they stay valid while the module
// is loaded.
bool ResourceBytes(HMODULE module, int resourceId, const BYTE*& data, DWORD& size) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"PNG");
  if (!info) return false;
  HGLOBAL loaded = LoadResource(module, info);
  size = SizeofResource(module, info);
  data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  return data && size > 0;
}

// Decodes the PNG's first frame into straight BGRA pixels at its own size.
bool Decode(HMODULE module, int resourceId, Pixels& out) {
  const BYTE* data = nullptr;
  DWORD size = 0;
  if (!ResourceBytes(module, resourceId, data, size)) return false;
  auto factory = Factory();
  if (!factory) return false;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), size)) ||
      FAILED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, &decoder)) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnLoad)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return false;
  }
  UINT w = 0, h = 0;
  if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0 || w > 4096 || h > 4096) return false;
  Pixels pixels;
  pixels.width = static_cast<int>(w);
  pixels.height = static_cast<int>(h);
  pixels.bgra.resize(static_cast<std::size_t>(w) * h * 4);
  if (FAILED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.bgra.size()), pixels.bgra.data())))
    return false;
  out = std::move(pixels);
  return true;
}

// Area-averaging resize with alpha weighting, so that transparent pixels do
// not bleed their colour into the edges when shrinking.
Pixels Scale(const Pixels& src, int width, int height) {
  if (src.width == width && src.height == height) return src;
  Pixels dst;
  dst.width = width;
  dst.height = height;
  dst.bgra.assign(static_cast<std::size_t>(width) * height * 4, 0);
  const double sx = static_cast<double>(src.width) / width;
  const double sy = static_cast<double>(src.height) / height;
  for (int y = 0; y < height; ++y) {
    const double y0 = y * sy, y1 = (y + 1) * sy;
    for (int x = 0; x < width; ++x) {
      const double x0 = x * sx, x1 = (x + 1) * sx;
      double acc[4] = {}, area = 0;
      for (int iy = static_cast<int>(y0); iy < src.height && iy < y1; ++iy) {
        const double wy = std::min<double>(iy + 1, y1) - std::max<double>(iy, y0);
        for (int ix = static_cast<int>(x0); ix < src.width && ix < x1; ++ix) {
          const double wx = std::min<double>(ix + 1, x1) - std::max<double>(ix, x0);
          const double wgt = wx * wy;
          const std::uint8_t* p = &src.bgra[(static_cast<std::size_t>(iy) * src.width + ix) * 4];
          const double a = p[3] / 255.0;
          acc[0] += p[0] * a * wgt;
          acc[1] += p[1] * a * wgt;
          acc[2] += p[2] * a * wgt;
          acc[3] += p[3] * wgt;
          area += wgt;
        }
      }
      std::uint8_t* q = &dst.bgra[(static_cast<std::size_t>(y) * width + x) * 4];
      if (area <= 0) continue;
      const double alpha = acc[3] / area;
      if (alpha > 0) {
        const double norm = 255.0 / (alpha * area);
        for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>(std::min(255.0, acc[c] * norm + 0.5));
      }
      q[3] = static_cast<std::uint8_t>(std::min(255.0, alpha + 0.5));
    }
  }
  return dst;
}

// A top-down 32-bit DIB section holding the pixels, premultiplied or not.
UniqueGdiObject MakeDib(const Pixels& pixels, bool premultiply) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return UniqueGdiObject();
  auto* out = static_cast<std::uint8_t*>(bits);
  std::memcpy(out, pixels.bgra.data(), pixels.bgra.size());
  if (premultiply) {
    for (std::size_t i = 0; i < pixels.bgra.size(); i += 4) {
      const unsigned a = out[i + 3];
      for (int c = 0; c < 3; ++c) out[i + c] = static_cast<std::uint8_t>((out[i + c] * a + 127) / 255);
    }
  }
  return dib;
}

UniqueIcon MakeIcon(const Pixels& pixels) {
  UniqueGdiObject color = MakeDib(pixels, false);
  // The mask only matters where no alpha channel is used; all zero draws
  // the colour bitmap as it is.
  UniqueGdiObject mask(CreateBitmap(pixels.width, pixels.height, 1, 1, nullptr));
  if (!color || !mask) return UniqueIcon();
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = static_cast<HBITMAP>(color.get());
  info.hbmMask = static_cast<HBITMAP>(mask.get());
  return UniqueIcon(CreateIconIndirect(&info));
}

bool ValidSize(int width, int height) { return width > 0 && height > 0 && width <= 1024 && height <= 1024; }

}  // namespace

struct ImageStore::Image {
  Pixels pixels;
  std::map<int, UniqueGdiObject> bitmaps;  // by size
  std::map<int, UniqueIcon> icons;         // by size
};

ImageStore::ImageStore() = default;
ImageStore::~ImageStore() = default;

bool ImageStore::AddImage(int commandId, HMODULE module, int resourceId) {
  Pixels pixels;
  if (!Decode(module, resourceId, pixels)) return false;
  auto image = std::make_unique<Image>();
  image->pixels = std::move(pixels);
  images_[commandId] = std::move(image);
  return true;
}

bool ImageStore::Contains(int commandId) const { return images_.count(commandId) != 0; }

bool ImageStore::NaturalSize(int commandId, int& width, int& height) const {
  const auto it = images_.find(commandId);
  if (it == images_.end()) return false;
  width = it->second->pixels.width;
  height = it->second->pixels.height;
  return true;
}

HBITMAP ImageStore::Bitmap(int commandId, int size) {
  const auto it = images_.find(commandId);
  if (it == images_.end() || !ValidSize(size, size)) return nullptr;
  auto& cached = it->second->bitmaps[size];
  if (!cached) cached = MakeDib(Scale(it->second->pixels, size, size), true);
  return static_cast<HBITMAP>(cached.get());
}

HICON ImageStore::Icon(int commandId, int size) {
  const auto it = images_.find(commandId);
  if (it == images_.end() || !ValidSize(size, size)) return nullptr;
  auto& cached = it->second->icons[size];
  if (!cached) cached = MakeIcon(Scale(it->second->pixels, size, size));
  return cached.get();
}

UniqueGdiObject ImageStore::LoadPngBitmap(HMODULE module, int resourceId, int width, int height) {
  Pixels pixels;
  if (!ValidSize(width, height) || !Decode(module, resourceId, pixels)) return UniqueGdiObject();
  return MakeDib(Scale(pixels, width, height), true);
}

UniqueIcon ImageStore::LoadPngIcon(HMODULE module, int resourceId, int width, int height) {
  Pixels pixels;
  if (!ValidSize(width, height) || !Decode(module, resourceId, pixels)) return UniqueIcon();
  return MakeIcon(Scale(pixels, width, height));
}

UniqueImageList ImageStore::SingleIconList(HMODULE module, int resourceId, int size) {
  UniqueImageList images(ImageList_Create(size, size, ILC_COLOR32, 1, 1));
  const UniqueIcon icon = LoadPngIcon(module, resourceId, size, size);
  if (!images || !icon || ImageList_AddIcon(images.get(), icon.get()) < 0) return UniqueImageList();
  return images;
}
