#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>

#include "core/ProgramResources.h"
#include "support/TestSupport.h"
#include "ui/widgets/ImageStore.h"

using namespace qlmtest;

TEST(UiImageStore, EveryProgramImageIsThereAtItsSize) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ProgramResources program;
  ASSERT_TRUE(program.Init(DistFolder() + L"\\Quillmoor.exe"));
  ImageStore store;
  for (int id : {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1101, 1103, 1104, 1105, 1107, 1200, 1201}) {
    const int size = (id < 1100 || id == 1103 || id == 1107) ? 32 : 16;
    int w = 0, h = 0;
    ASSERT_TRUE(store.AddImage(id, program.hModule(), id) && store.NaturalSize(id, w, h)) << id;
    EXPECT_TRUE(w == size && h == size) << id << ": " << w << "x" << h;
  }
  EXPECT_FALSE(store.AddImage(1, program.hModule(), 999));
  EXPECT_EQ(store.Icon(1, 16), nullptr);
  CoUninitialize();
}

TEST(UiImageStore, ScaledBitmapsKeepTransparencyPremultiplied) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ImageStore store;
  ASSERT_TRUE(store.AddImage(5001, GetModuleHandleW(nullptr), 1003));  // linked into this test
  for (int size : {16, 24, 48}) {
    SCOPED_TRACE(size);
    HBITMAP bitmap = store.Bitmap(5001, size);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(store.Bitmap(5001, size), bitmap) << "not kept";
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    ASSERT_TRUE(bm.bmWidth == size && bm.bmHeight == size && bm.bmBitsPixel == 32 && bm.bmBits);
    const auto* px = static_cast<const std::uint32_t*>(bm.bmBits);
    // Transparent corner, opaque middle, no colour channel above alpha.
    EXPECT_EQ(px[0] >> 24, 0u);
    EXPECT_GT(px[(size / 2) * size + size / 2] >> 24, 200u);
    for (int i = 0; i < size * size; ++i) {
      const std::uint32_t a = px[i] >> 24;
      ASSERT_TRUE((px[i] & 0xFF) <= a && ((px[i] >> 8) & 0xFF) <= a && ((px[i] >> 16) & 0xFF) <= a) << i;
    }
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(store.Icon(5001, size), &info));
    UniqueGdiObject color(info.hbmColor), mask(info.hbmMask);
    GetObjectW(info.hbmColor, sizeof(bm), &bm);
    EXPECT_TRUE(bm.bmWidth == size && bm.bmHeight == size);
  }
  CoUninitialize();
}
