// QLMCustom.dll: the program's custom component.
#include "components/QLMCustom.h"

#include <cwchar>
#include <new>

namespace {

// Leaves the program's logger as it is: the program logs through its own.
class CCustom2 final : public IQLMCustom {
 public:
  void Init(CErrorLog*& log) noexcept override { (void)log; }
  void Release() noexcept override { delete this; }

 private:
  ~CCustom2() = default;
};

// ProgIDs compare without regard to letter case, as the system does.
bool SameProgId(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    const wchar_t ca = (*a >= L'A' && *a <= L'Z') ? static_cast<wchar_t>(*a + 32) : *a;
    const wchar_t cb = (*b >= L'A' && *b <= L'Z') ? static_cast<wchar_t>(*b + 32) : *b;
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}

constexpr std::int32_t kClassNotAvailable = static_cast<std::int32_t>(0x80040111);  // CLASS_E_CLASSNOTAVAILABLE
constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057);   // E_INVALIDARG
constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000E);       // E_OUTOFMEMORY

}  // namespace

extern "C" __declspec(dllexport) std::int32_t QLMCreateObject(const wchar_t* progId, IQLMCustom** object) {
  if (!object) return kInvalidArgument;
  *object = nullptr;
  if (!progId) return kInvalidArgument;
  if (!SameProgId(progId, L"QLMCustom.CCustom2")) return kClassNotAvailable;
  *object = new (std::nothrow) CCustom2();
  return *object ? 0 : kOutOfMemory;
}
