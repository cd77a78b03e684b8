#include "engine/files/IndirectString.h"

#include <cstdint>

#include "engine/files/IndirectStringText.h"
#include "engine/files/LiveFileSource.h"
#include "engine/files/PeResources.h"
#include "ozcore/CUtilities.h"

namespace discovery {

namespace {

// A system file keeps its texts in a language file beside it,
// "<folder>\<language>\<name>.mui"; the system's loader looks there too.
std::optional<std::wstring> FromLanguageFile(engine::FileSource& files, const std::wstring& path, std::uint32_t number,
                                             const engine::LanguageOrder& languages) {
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::nullopt;
  for (const auto& name : engine::DisplayLanguageNames()) {
    const std::wstring satellite = path.substr(0, slash + 1) + name + L"\\" + path.substr(slash + 1) + L".mui";
    auto loaded = engine::ResourceString(files, satellite, number, languages);
    if (loaded && !loaded->empty()) return loaded;
  }
  return std::nullopt;
}

}  // namespace

std::wstring LoadIndirectString(const std::wstring& text) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(text, file, number)) return text;

  // The string of the file's string table, read from the file's bytes by
  // our own code; nothing when it is missing or a count runs past its block.
  engine::LiveFileSource files;
  const std::wstring path = CUtilities::ExpandVariables(file, false);
  const engine::LanguageOrder languages = engine::LoaderLanguages();
  auto loaded = engine::ResourceString(files, path, number, languages);
  // An empty string counts as none, as it always has.
  if (!loaded || loaded->empty()) loaded = FromLanguageFile(files, path, number, languages);
  if (!loaded || loaded->empty()) return text;
  return *loaded;
}

}  // namespace discovery
