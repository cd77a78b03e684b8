#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>
#include <vector>

#include "app/CResource.h"
#include "support/TestSupport.h"
#include "ui/widgets/ImageStore.h"

using namespace qlmtest;

namespace {

class UiImageStore : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};

// The pixels of a 32-bit bitmap, top row first.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int& width, int& height) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  width = info.bmWidth;
  height = info.bmHeight;
  std::vector<std::uint32_t> pixels;
  if (info.bmBitsPixel != 32 || !info.bmBits) return pixels;
  const auto* bits = static_cast<const std::uint32_t*>(info.bmBits);
  pixels.assign(bits, bits + static_cast<std::size_t>(width) * height);
  return pixels;
}

}  // namespace

TEST_F(UiImageStore, EveryProgramImageIsThereAtItsSize) {
  CResource program;
  ASSERT_TRUE(program.Init(DistFolder() + L"\\Quillmoor.exe"));
  const struct {
    int id, size;
  } images[] = {{1001, 32}, {1002, 32}, {1003, 32}, {1004, 32}, {1005, 32}, {1006, 32}, {1007, 32},
                {1101, 16}, {1103, 32}, {1104, 16}, {1105, 16}, {1107, 32}, {1200, 16}, {1201, 16}};
  ImageStore store;
  for (const auto& image : images) {
    SCOPED_TRACE(image.id);
    ASSERT_TRUE(store.AddImage(image.id, program.hModule(), image.id));
    int w = 0, h = 0;
    ASSERT_TRUE(store.NaturalSize(image.id, w, h));
    EXPECT_EQ(w, image.size);
    EXPECT_EQ(h, image.size);
  }
  EXPECT_FALSE(store.AddImage(1, program.hModule(), 1002 + 100000));
  EXPECT_FALSE(store.Contains(1));
  EXPECT_EQ(store.Bitmap(1, 16), nullptr);
  EXPECT_EQ(store.Icon(1, 16), nullptr);
}

TEST_F(UiImageStore, BitmapsAndIconsOfTheRequestedSize) {
  ImageStore store;
  // The images linked into this test program.
  ASSERT_TRUE(store.AddImage(5001, GetModuleHandleW(nullptr), 1003));
  for (int size : {16, 24, 32, 48}) {
    SCOPED_TRACE(size);
    HBITMAP bitmap = store.Bitmap(5001, size);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(store.Bitmap(5001, size), bitmap) << "not kept";
    int w = 0, h = 0;
    const auto pixels = PixelsOf(bitmap, w, h);
    EXPECT_EQ(w, size);
    EXPECT_EQ(h, size);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size) * size);
    // Transparent corner, opaque middle, and premultiplied: no colour
    // channel above alpha.
    EXPECT_EQ(pixels[0] >> 24, 0u);
    EXPECT_GT(pixels[(size / 2) * size + size / 2] >> 24, 200u);
    for (auto p : pixels) {
      const auto a = p >> 24;
      ASSERT_LE(p & 0xFF, a);
      ASSERT_LE((p >> 8) & 0xFF, a);
      ASSERT_LE((p >> 16) & 0xFF, a);
    }

    HICON icon = store.Icon(5001, size);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    UniqueGdiObject color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, size);
    EXPECT_EQ(bm.bmHeight, size);
  }
  // One-off decoding gives what the caller asked for.
  UniqueGdiObject wide = ImageStore::LoadPngBitmap(GetModuleHandleW(nullptr), 1201, 20, 10);
  int w = 0, h = 0;
  ASSERT_TRUE(wide);
  PixelsOf(static_cast<HBITMAP>(wide.get()), w, h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  EXPECT_TRUE(ImageStore::LoadPngIcon(GetModuleHandleW(nullptr), 1201, 16, 16));
  EXPECT_FALSE(ImageStore::LoadPngIcon(GetModuleHandleW(nullptr), 999, 16, 16));
}
