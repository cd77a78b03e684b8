#pragma once
// Security identifiers in text form ("S-1-5-21-...-1001"). Platform-free.
#include <cstdint>
#include <string>
#include <vector>

namespace discovery {

struct SidParts {
  std::uint8_t authority = 0;                // the last byte of the identifier authority
  std::vector<std::uint32_t> subAuthorities;  // in order, at least one
};

// Reads "S-R-A-S1-...-Sn": the text is split at "-" (empty fields skipped);
// the piece before the first "-" is the prefix and is not read, the first
// field is the revision, the second the authority (0 to 255), the rest the
// sub-authorities (unsigned 32-bit decimal numbers, 1 to 15 of them).
// False for a text that does not have this form.
bool ParseSidText(const std::wstring& text, SidParts& parts);

}  // namespace discovery
