#pragma once
// The custom component as the program sees it. QLMCustom.dll, loaded from
// the program's folder, hands out its objects by ProgID through one exported
// factory; nothing is registered on the machine. Only plain pointers and
// virtual calls cross the DLL boundary, and no exception does.
#include <cstdint>

class CErrorLog;

class IQLMCustom {
 public:
  // Receives the program's logger before anything else runs. The component
  // may point the variable at a logger of its own, which must then stay
  // valid while the process runs; ours leaves it unchanged.
  virtual void Init(CErrorLog*& log) noexcept = 0;
  // Ends the object's life; the pointer is invalid afterwards.
  virtual void Release() noexcept = 0;

 protected:
  ~IQLMCustom() = default;
};

// The name of the factory export and its type: 0 and an object for a ProgID
// the component knows, a non-zero error (and null) for any other.
#define QLMCUSTOM_FACTORY_NAME "QLMCreateObject"
extern "C" {
typedef std::int32_t (*QLMCreateObjectFn)(const wchar_t* progId, IQLMCustom** object);
}
