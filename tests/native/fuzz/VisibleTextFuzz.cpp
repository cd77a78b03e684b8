// Any UTF-16 text: its visible form holds nothing unsafe and reads back to
// the text; any text read back from a visible form gives that form again,
// so no two texts share one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../../qmscan/ParseBack.h"
#include "discovery/VisibleText.h"

namespace {

std::wstring Utf16Units(const std::uint8_t* data, std::size_t size) {
  std::wstring out;
  out.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return out;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

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
