// Any bytes as a version block: the parser must stay inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ozcore/VersionBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto info = versionblock::Parse(data, size);
  // Nothing read can be longer than the block itself.
  for (const auto& table : info.tables) {
    if (table.key.size() * 2 > size) std::abort();
    for (const auto& s : table.strings)
      if ((s.name.size() + s.value.size()) * 2 > size) std::abort();
  }
  if (info.translations.size() * 4 > size) std::abort();
  return 0;
}
