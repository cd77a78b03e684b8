#pragma once
// A listing as JSON Lines for collectors: one flat object a line (strings,
// numbers and booleans only, no nesting), field names of the Elastic
// Common Schema where one fits and "quillmoor.*" for the rest, a field
// without a value left out; the last line a short summary. Strings are
// written as JsonString writes them: exact, with nothing that acts on a
// terminal. Platform-free.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ozcore/CParams.h"

namespace inventory {

// What every line tells of the run and the machine; empty: left out.
struct RunFacts {
  std::wstring timestamp;  // ISO 8601 UTC
  std::wstring hostName, osVersion;
};

// What one entry's line adds to its record.
struct LineExtras {
  std::wstring change;  // with --compare: "new", "same" or "gone"
  std::optional<std::uint64_t> fileSize;
  std::wstring fileModified;  // ISO 8601 UTC
};

// One entry's line, without its line break. signedBy and signedNotTrusted
// are the signature texts ("Signed by %1", "Signed by %1, not trusted")
// from which file.code_signature.subject_name is read back.
struct SignatureTemplates {
  std::wstring signedBy, signedNotTrusted;
};
std::wstring JsonLine(const std::wstring& kind, const CResultNode& node, const RunFacts& run, const LineExtras& extras,
                      const SignatureTemplates& signatures);

struct Summary {
  std::vector<std::pair<std::wstring, std::size_t>> perKind;  // scan name, entries
  std::size_t usersRead = 0, usersNotSignedIn = 0;
  std::optional<std::size_t> hivesDirty;  // an image's only
  std::vector<std::wstring> kindsNotListed;
  std::optional<std::size_t> added, gone;  // with --compare
};
// The summary line, without its line break: under 2,048 characters
// whatever the machine (the host's name is cut to 255 characters).
std::wstring SummaryLine(const Summary& summary, const RunFacts& run);

}  // namespace inventory
