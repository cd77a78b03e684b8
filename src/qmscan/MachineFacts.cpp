#include "qmscan/MachineFacts.h"

#include <cstdint>

#include "engine/text/AddonText.h"

namespace qmscan {

namespace {

const std::wstring kCurrentVersion = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

std::optional<std::uint32_t> Dword(engine::RegistrySource& registry, const wchar_t* name) {
  const auto value = registry.ReadValue(engine::Tree::Machine, kCurrentVersion, name, 64);
  if (!value || value->type != engine::valuetype::kDword || value->bytes.size() != 4) return std::nullopt;
  const auto& b = value->bytes;
  return static_cast<std::uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

// A string value of digits and dots only; empty otherwise.
std::wstring Numeral(engine::RegistrySource& registry, const wchar_t* name) {
  const auto value = registry.ReadValue(engine::Tree::Machine, kCurrentVersion, name, 128);
  if (!value || value->tooLarge || value->type != engine::valuetype::kString) return {};
  std::wstring text;
  for (std::size_t i = 0; i + 1 < value->bytes.size(); i += 2) {
    const wchar_t c = static_cast<wchar_t>(value->bytes[i] | value->bytes[i + 1] << 8);
    if (c == 0) break;
    if ((c < L'0' || c > L'9') && c != L'.') return {};
    text.push_back(c);
  }
  return text.size() <= 20 ? text : std::wstring();
}

}  // namespace

std::wstring OsVersionOf(engine::RegistrySource& registry) {
  const std::wstring build = Numeral(registry, L"CurrentBuildNumber");
  const auto major = Dword(registry, L"CurrentMajorVersionNumber");
  const auto minor = Dword(registry, L"CurrentMinorVersionNumber");
  std::wstring version;
  if (major && minor) version = std::to_wstring(*major) + L"." + std::to_wstring(*minor);
  else version = Numeral(registry, L"CurrentVersion");
  if (version.empty()) return {};
  if (!build.empty()) version += L"." + build;
  if (const auto update = Dword(registry, L"UBR"); update && !build.empty()) version += L"." + std::to_wstring(*update);
  return version;
}

MachineFacts FactsOf(engine::MachineSources& machine) {
  MachineFacts facts;
  facts.osVersion = OsVersionOf(machine.registry);
  for (const auto& key : machine.registry.SubKeyNames(engine::Tree::Users, L"")) {
    const auto kind = discovery::text::ClassifyUserKey(key);
    if (kind == discovery::text::UserKeyKind::Sid || kind == discovery::text::UserKeyKind::Default) ++facts.usersRead;
  }
  facts.usersNotSignedIn = machine.usersNotSignedIn.size();
  return facts;
}

}  // namespace qmscan
