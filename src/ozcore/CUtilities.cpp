// The exported helper class: forwarders to the modules that do the work.
#include "ozcore/CUtilities.h"

#include "ozcore/EnvExpansion.h"
#include "ozcore/FileResource.h"
#include "ozcore/FormatText.h"
#include "ozcore/PathText.h"
#include "ozcore/SystemFolders.h"
#include "ozcore/SystemMessage.h"
#include "ozcore/UrlText.h"
#include "ozcore/Utf8Text.h"
#include "ozcore/VersionStrings.h"
#include "ozcore/WindowsVersion.h"

std::wstring CUtilities::FormatString(const std::wstring& text, const std::vector<std::wstring>& args) {
  return formattext::Format(text, args);
}

CStringDictionary CUtilities::GetVersionStrings(const std::wstring& file) { return versionstrings::Read(file); }

std::vector<unsigned char> CUtilities::ReadFileResource(const std::wstring& file, std::uint16_t type,
                                                        std::uint16_t id) {
  return fileresource::Read(file, type, id);
}

std::wstring CUtilities::FileSearchName(const std::wstring& path) { return envexpansion::FileSearchName(path); }

std::wstring CUtilities::ExpandVariables(const std::wstring& text, bool as32BitProcess) {
  return envexpansion::Expand(text, as32BitProcess);
}

std::wstring CUtilities::FileNamePart(const std::wstring& path) { return pathtext::FileNamePart(path); }

std::wstring CUtilities::AppDataFolder() { return systemfolders::RoamingAppData(); }

std::wstring CUtilities::GetWindowsVersion(std::int32_t& major, std::int32_t& minor, std::int32_t& build,
                                           std::int32_t& platformId, std::wstring& servicePack) {
  const auto version = windowsversion::Read();
  if (!version) return {};
  major = version->major;
  minor = version->minor;
  build = version->build;
  platformId = version->platformId;
  servicePack = version->servicePack;
  return windowsversion::Describe(*version);
}

std::wstring CUtilities::UrlEncode(const std::wstring& text) { return urltext::PercentEncode(text); }

std::wstring CUtilities::WindowsFolder() { return systemfolders::Windows(); }

std::wstring CUtilities::SystemMessage(std::uint32_t code) { return systemmessage::ForCode(code); }

std::string CUtilities::ToUtf8(const std::wstring& text) { return utf8text::ToUtf8(text); }

std::wstring CUtilities::FromUtf8(const std::string& text) { return utf8text::FromUtf8(text); }
