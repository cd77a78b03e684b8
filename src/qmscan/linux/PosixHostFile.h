#pragma once
// Files of this machine for qmscan on Linux: a plain file opened for
// reading without following a link at its name (a hive given with
// --hive), and a whole saved listing read for --compare.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/files/FileSource.h"

namespace qmscan {

// A plain file at a path of this machine (UTF-8 on disk); null for a
// link, a folder, a device or pipe, or a file that cannot be opened.
std::unique_ptr<engine::OpenFile> OpenHostFile(const std::wstring& path);

// The text of a saved listing (strict UTF-8, at most 256 MB); nothing,
// with the reason, when it cannot be read.
std::optional<std::wstring> ReadListingFile(const std::wstring& path, std::wstring& reason);

// --output: bytes written whole to a new file (created exclusively, no
// link followed) in the folder of path, flushed, then renamed to path in
// one step, so a reader sees the earlier file or the whole new one, and a
// link at path is replaced, never written through. 0, else errno.
std::uint32_t ReplaceFileWith(const std::wstring& path, const std::string& bytes);

}  // namespace qmscan
