#include "engine/files/IndirectString.h"

#include <cstdint>

#include "engine/files/IndirectStringText.h"
#include "engine/files/LiveFileSource.h"
#include "engine/files/SourceFileFacts.h"
#include "ozcore/CUtilities.h"

namespace discovery {

std::wstring LoadIndirectString(const std::wstring& text) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(text, file, number)) return text;

  // The string of the file's string table, read from the file's bytes by
  // our own code; nothing when it is missing or a count runs past its block.
  engine::LiveFileSource files;
  const auto loaded = engine::IndirectResourceString(files, CUtilities::ExpandVariables(file, false), number,
                                                     engine::LoaderLanguages(), engine::DisplayLanguageNames());
  return loaded ? *loaded : text;
}

}  // namespace discovery
