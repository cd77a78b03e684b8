#pragma once
// The listing's view of files (FileFacts) over any file source: a system
// that is not running, read from its disk, or files held in memory. What the
// running system would tell (its variables, folders and languages) is
// described by the caller. Also the rules the live resolver shares: how a
// registry file string becomes a file, the folders of a PATH text, and the
// indirect strings of a file and its language files. Platform-free.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/files/FileFacts.h"
#include "engine/files/FileSource.h"
#include "engine/files/PeResources.h"

namespace engine {

struct SystemDescription {
  // Variables as a 64-bit process reads them (SystemRoot, windir,
  // ProgramFiles, ProgramFiles(x86), CommonProgramFiles, USERPROFILE ...);
  // names compare without regard to case.
  std::map<std::wstring, std::wstring> environment;
  // Values a 32-bit process reads in their place. A name not given here
  // reads its 32-bit twin from environment ("ProgramFiles(x86)" for
  // "ProgramFiles"), as on a running system.
  std::map<std::wstring, std::wstring> environment32;
  std::wstring systemFolder;    // "C:\Windows\System32"
  std::wstring systemFolder32;  // "C:\Windows\SysWOW64"; empty: no 32-bit processes
  // Where a bare file name is looked for, in order: the system folder, the
  // Windows folder, the folders of PATH (PathTextFolders). References are
  // expanded; a folder that is not a full local path on a drive of the
  // files is left out.
  std::vector<std::wstring> searchFolders;
  LanguageOrder languages = {0x0000, 0x0409};  // resources: neutral, then US English
  std::vector<std::wstring> languageNames = {L"en-US"};  // folders of language files (.mui)
  // Shown as every file's signature (an image's files are not checked)...
  std::wstring signatureText;
  // ... unless this checks each file's own signature: the file opened
  // through the source (null when it cannot be), the text shown.
  std::function<std::wstring(OpenFile* file)> checkSignature;
};

class SourceFileFacts final : public FileFacts {
 public:
  // files must outlive this object.
  SourceFileFacts(FileSource& files, SystemDescription system);

  std::wstring Expand(const std::wstring& text, bool as32BitProcess) override;
  PathKind Kind(const std::wstring& fileString) override;
  // Answers are kept for the object's life, by the input as passed.
  std::wstring Resolve(const std::wstring& fileString, bool as32BitProcess) override;
  bool Exists(const std::wstring& path) override;
  CStringDictionary VersionStrings(const std::wstring& file) override;
  std::wstring IndirectString(const std::wstring& text, bool as32BitProcess) override;
  std::wstring SystemFolder(bool as32BitProcess) override;
  std::wstring SignatureText(const std::wstring& file) override;
  std::unique_ptr<OpenFile> OpenForReading(const std::wstring& file) override;

 private:
  bool As32(bool as32BitProcess) const { return as32BitProcess && !system_.systemFolder32.empty(); }
  std::optional<std::wstring> Variable(const std::wstring& name, bool as32BitProcess) const;
  // The full form of a full drive path the source may be asked about;
  // empty when it is not local or not on a drive the source holds.
  std::wstring CheckedPath(const std::wstring& path) const;
  std::wstring Search(const std::wstring& name);

  FileSource& files_;
  SystemDescription system_;
  std::unordered_map<std::wstring, std::wstring> variables_, variables32_;  // by folded name
  std::unordered_map<std::wstring, std::wstring> resolved_, resolved32_;
};

// How a registry file string becomes the path of a file on some system:
// a "\??\" prefix dropped; references expanded (as32BitProcess: first with
// a 32-bit process's values); the string as written when it names a
// network or device path; then the file a command line names (quotes and
// arguments gone), else the text itself, searched for; the text (without
// the prefix) when neither is found.
struct FileStringCalls {
  std::function<std::wstring(const std::wstring& text, bool as32BitProcess)> expand;
  std::function<PathKind(const std::wstring& text)> kind;
  std::function<std::wstring(const std::wstring& name)> search;  // the path found, or empty
};
std::wstring ResolveFileString(const std::wstring& input, bool as32BitProcess, const FileStringCalls& calls);

// The folders a PATH text lists, in order: split at ";", a folder in
// quotes unquoted; an empty one, or one still holding ";" or a quote, left
// out. References are not expanded.
std::vector<std::wstring> PathTextFolders(const std::wstring& pathText);

// The full drive path a path names, read as the system reads it: "/" as
// "\", repeated separators and "." parts dropped, ".." taking the part
// before (never above the drive's root), a part's trailing dots and spaces
// dropped, a "\\?\" or "\??\" prefix dropped. Nothing for a path that is not
// a full drive path, or holds a NUL.
std::optional<std::wstring> FullDrivePath(const std::wstring& path);

// String number of a file's string table, or of its language file
// ("<folder>\<language name>\<file name>.mui", as the system's loader
// looks); nothing when neither has it with any characters.
std::optional<std::wstring> IndirectResourceString(FileSource& files, const std::wstring& path, std::uint32_t number,
                                                   const LanguageOrder& languages,
                                                   const std::vector<std::wstring>& languageNames);

}  // namespace engine
