#pragma once
// Turns the file strings the registry holds (a full path, a bare name found
// along the search path, a short 8.3 path, a "\??\" path, a quoted command)
// into the full long path of the file. Answers are kept for the whole run.
#include <string>

#include "ozcore/CStringDictionary.h"

class CFileChecker {
 public:
  // Takes the long-name setting from the process state (MQLM::gIsNT and
  // not MQLM::gIsNT4).
  CFileChecker();
  explicit CFileChecker(bool convertToLongNames);

  // The full path of the file the input names; the input (without a
  // "\??\" prefix) when no such file is found; empty for an empty input.
  // Never fails. Each distinct input is searched for once per object.
  std::wstring GetFullFileNameFromShortFilename(const std::wstring& input);

  // How many inputs have an answer so far.
  std::size_t CachedCount() const { return cache_.Count(); }

 private:
  bool longNames_;
  // Input exactly as passed -> answer.
  CStringDictionary cache_;
};
