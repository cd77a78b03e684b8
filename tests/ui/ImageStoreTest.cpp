#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdint>

#include "core/ProgramResources.h"
#include "support/TestSupport.h"
#include "ui/main/CommandTable.h"
#include "ui/widgets/ImageStore.h"

using namespace qlmtest;

// Every command's image of the command table is in the program's file,
// square, and its larger drawing (for screens above 96 DPI) is larger.
TEST(UiImageStore, EveryCommandImageOfTheProgramIsThereLargerDrawingsLarger) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ProgramResources program;
  ASSERT_TRUE(program.Init(DistFolder() + L"\\Quillmoor.exe"));
  ImageStore store;
  EXPECT_EQ(Commands::LoadCommandImages(store, program.hModule()), 0);
  for (const auto& image : Commands::CommandImages()) {
    int w = 0, h = 0, large = 0;
    ASSERT_TRUE(store.NaturalSize(image.command, w, h)) << image.command;
    EXPECT_TRUE(w == h && (w == 16 || w == 32)) << image.command << ": " << w << "x" << h;
    ASSERT_TRUE(store.NaturalSize(image.command + Commands::kLargeImage, large, h)) << image.command;
    EXPECT_GT(large, w) << image.command;
  }
  // The row and tree images.
  for (int id : {1200, 1201}) EXPECT_TRUE(store.AddImage(id, program.hModule(), id)) << id;
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
