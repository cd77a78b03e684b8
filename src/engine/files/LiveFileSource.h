#pragma once
// The running machine's files. Only full local drive paths ("C:\...") are
// opened: a network or device path, or one whose full form is one, is
// refused before anything is opened (see FileGate::Kind). A file or folder
// is opened without following a link at its own name, and refused when it
// is a link or the system's final path of what was opened is not the path
// asked for (a link on the way). Files are shared for reading, writing and
// deletion, so the listing never stands in another program's way.
#include <string>
#include <vector>

#include "engine/files/FileSource.h"
#include "engine/files/PeResources.h"

namespace engine {

class LiveFileSource final : public FileSource {
 public:
  std::optional<FileStat> Facts(const std::wstring& path) override;
  std::unique_ptr<OpenFile> Open(const std::wstring& path) override;
  std::optional<std::vector<FolderEntry>> List(const std::wstring& folder) override;
};

// The handle of a file this source opened (a HANDLE); null for any other.
void* NativeHandleOf(OpenFile& file);

// The identity of an open file (a HANDLE); nothing when the file system
// gives no id or no change time: such a file is read again every time.
std::optional<FileIdentity> IdentityOfHandle(void* file);

// The languages the system's resource loader tries, in its order: neutral,
// the thread's, the user's and the system's languages, US English.
LanguageOrder LoaderLanguages();

// The names of the user's and the system's display languages ("en-US"),
// then "en-US": where a file's language resource files (.mui) are looked
// for, in the folder of that name beside the file.
std::vector<std::wstring> DisplayLanguageNames();

}  // namespace engine
