// Any bytes as a string table block: every index must be read inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/files/StringTableBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t total = 0;
  for (std::uint32_t index = 0; index <= discovery::kStringsPerBlock; ++index) {
    const auto text = discovery::StringFromBlock(data, size, index);
    if (!text) continue;
    total += 2 + text->size() * 2;
    // The strings up to this one, with their counts, fit in the block.
    if (index == discovery::kStringsPerBlock || total > size) std::abort();
  }
  return 0;
}
