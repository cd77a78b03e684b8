#pragma once
// Display names that are unique within one listing: the first occurrence of
// a name keeps it, the repeats are numbered "Name (2)", "Name (3)", ...
#include <string>

#include "ozcore/CStringDictionary.h"

class UniqueNamer {
 public:
  // The display name for one more occurrence of name (spaces at both ends
  // removed).
  std::wstring Rename(const std::wstring& name);

 private:
  // "_" + name -> how often the name was given out so far.
  CStringDictionary counts_;
  // Every display name given out, so that a numbered name never repeats a
  // name that was given out before (a toolbar really called "Name (2)").
  CStringDictionary given_;
};
