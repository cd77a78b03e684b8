#pragma once
// What a SafeFolder holds; shared by its two source files only.
#include <string>
#include <vector>

#include "ozcore/SafeFolder.h"

struct SafeFolder::Impl {
  std::vector<UniqueFile> chain;  // root first; the folder itself last
  std::wstring path;              // as opened (for messages)
  std::wstring meant;             // what the last handle's final path must be
  PlaceCheck check;

  void Fail(PlaceCheck problem);
};
