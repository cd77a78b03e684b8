#include "engine/text/UniqueNamer.h"

#include "engine/text/AddonText.h"
#include "ozcore/FormatText.h"

std::wstring UniqueNamer::Rename(const std::wstring& name) {
  const std::wstring trimmed = discovery::text::TrimSpaces(name);
  const std::wstring key = L"_" + trimmed;
  std::wstring countText;
  std::wstring result;
  if (!counts_.TryGet(key, countText) && !given_.Exists(trimmed)) {
    counts_.Add(L"1", key);
    result = trimmed;
  } else {
    unsigned long long count = countText.empty() ? 1 : std::stoull(countText);
    do {
      ++count;
      result = formattext::Format(L"%1 (%2)", {trimmed, std::to_wstring(count)});
    } while (given_.Exists(result));
    counts_.Set(key, std::to_wstring(count));
  }
  given_.Add(L"", result);
  return result;
}
