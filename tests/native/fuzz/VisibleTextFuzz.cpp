// Any UTF-16 text: its visible form holds nothing unsafe and reads back to
// the text; any text read back from a visible form gives that form again,
// so no two texts share one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../../qmscan/ParseBack.h"
#include "FuzzInput.h"
#include "engine/text/VisibleText.h"

using qlmfuzz::Check;
using qlmfuzz::Utf16Units;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace discovery::text;
  const std::wstring text = Utf16Units(data, size);

  const std::wstring visible = VisibleText(text);
  Check(!qlmtest::HoldsUnsafeCharacter(visible));
  Check(FromVisibleText(visible) == std::optional<std::wstring>(text));
  Check(NeedsVisibleEscape(text) == (visible != text));

  // The same bytes taken as a visible form.
  if (const auto back = FromVisibleText(text)) Check(VisibleText(*back) == text);
  return 0;
}
