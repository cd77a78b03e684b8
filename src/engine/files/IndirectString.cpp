#include "engine/files/IndirectString.h"

#include <cstdint>

#include "engine/files/IndirectStringText.h"
#include "engine/files/StringTableBlock.h"
#include "ozcore/CUtilities.h"

namespace discovery {

std::wstring LoadIndirectString(const std::wstring& text) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(text, file, number)) return text;

  // The string number of the file's string table, read from its block by
  // our own code; nothing when it is missing or its count runs past the
  // block.
  const auto block = CUtilities::ReadFileResource(CUtilities::ExpandVariables(file, false), 6 /* RT_STRING */,
                                                  static_cast<std::uint16_t>(StringBlockId(number)));
  if (block.empty()) return text;
  const auto loaded = StringFromBlock(block.data(), block.size(), StringBlockIndex(number));
  // An empty string counts as none, as it always has.
  if (!loaded || loaded->empty()) return text;
  return *loaded;
}

}  // namespace discovery
