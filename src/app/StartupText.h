#pragma once
// Texts start-up writes and shows, made from their parts.
#include <cstdint>
#include <string>

namespace Startup {

// "<product> ver.<major>.<minor>.<revision>", plain decimal numbers.
std::wstring VersionRecordText(const std::wstring& product, std::int32_t major, std::int32_t minor,
                               std::int32_t revision);
// The component message: "%1" in the template becomes the DLL's name in
// capital letters.
std::wstring ComponentMessage(const std::wstring& textTemplate, const std::wstring& dllName);

}  // namespace Startup
