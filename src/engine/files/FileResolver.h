#pragma once
// Turns the file strings the registry holds (a full path, a bare name found
// along the search path, a short 8.3 path, a "\??\" path, a quoted command)
// into the full long path of the file. Answers are kept for the whole run.
// Every search goes through the file gate: a network or device path is
// never searched for and is answered as written.
#include <string>
#include <unordered_map>

#include "engine/files/FileSignature.h"
#include "ozcore/CStringDictionary.h"

class FileResolver {
 public:
  // convertToLongNames: short 8.3 names become long ones (every system
  // but the oldest NT).
  explicit FileResolver(bool convertToLongNames);

  // The full path of the file the input names; the input (without a
  // "\??\" prefix) when no such file is found; the input exactly as passed
  // when it names a network or device path; empty for an empty input.
  // Never fails. Each distinct input is searched for once per object.
  // as32BitProcess: environment references in the input are expanded with
  // the values a 32-bit process reads (before the search expands the rest
  // with this process's values); its answers are kept apart from the
  // others, as the same text may name two files.
  std::wstring GetFullFileNameFromShortFilename(const std::wstring& input, bool as32BitProcess = false);

  // What the platform said of a file's signature (as shown), kept while the
  // path names the same file in the same state (its identity as the
  // checked handle gave it): a later listing checks only files that
  // changed.
  const std::wstring* KnownSignature(const std::wstring& file, const discovery::FileIdentity& identity) const;
  void KeepSignature(const std::wstring& file, const discovery::FileIdentity& identity, const std::wstring& text);
  // The same for the files' digests.
  engine::KeptDigests& Digests() { return digests_; }

  // How many inputs have an answer so far (of both kinds).
  std::size_t CachedCount() const { return cache_.Count() + cache32_.Count(); }

 private:
  std::wstring Resolve(const std::wstring& input, bool as32BitProcess) const;

  bool longNames_;
  // Input exactly as passed -> answer, for this process's reading and for
  // a 32-bit process's.
  CStringDictionary cache_, cache32_;
  std::unordered_map<std::wstring, std::pair<discovery::FileIdentity, std::wstring>> signatures_;
  engine::KeptDigests digests_;
};
