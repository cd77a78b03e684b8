#pragma once
// Move-only owners for every kind of system handle the program uses. This is
// the one place that closes handles; no other code calls CloseHandle,
// RegCloseKey, FreeLibrary, DeleteObject and the like directly.
#include <windows.h>

#include <bcrypt.h>

#include <utility>

template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Traits::IsValid(handle_); }
  // For out-parameters: releases the current handle first.
  T* put() noexcept {
    reset();
    return &handle_;
  }
  T release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(T handle = Traits::Invalid()) noexcept {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = Traits::Invalid();
};

namespace handle_traits {
struct Kernel {
  static HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct File {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct RegKey {
  static HKEY Invalid() noexcept { return nullptr; }
  static bool IsValid(HKEY h) noexcept { return h != nullptr; }
  static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct Module {
  static HMODULE Invalid() noexcept { return nullptr; }
  static bool IsValid(HMODULE h) noexcept { return h != nullptr; }
  static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
struct GdiObject {
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static bool IsValid(HGDIOBJ h) noexcept { return h != nullptr; }
  static void Close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};
struct Icon {
  static HICON Invalid() noexcept { return nullptr; }
  static bool IsValid(HICON h) noexcept { return h != nullptr; }
  static void Close(HICON h) noexcept { ::DestroyIcon(h); }
};
struct LocalMemory {
  static HLOCAL Invalid() noexcept { return nullptr; }
  static bool IsValid(HLOCAL h) noexcept { return h != nullptr; }
  static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};
struct Sid {
  static PSID Invalid() noexcept { return nullptr; }
  static bool IsValid(PSID h) noexcept { return h != nullptr; }
  static void Close(PSID h) noexcept { ::FreeSid(h); }
};
struct CngAlgorithm {
  static BCRYPT_ALG_HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(BCRYPT_ALG_HANDLE h) noexcept { return h != nullptr; }
  static void Close(BCRYPT_ALG_HANDLE h) noexcept { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct CngHash {
  static BCRYPT_HASH_HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(BCRYPT_HASH_HANDLE h) noexcept { return h != nullptr; }
  static void Close(BCRYPT_HASH_HANDLE h) noexcept { ::BCryptDestroyHash(h); }
};
}  // namespace handle_traits

using UniqueKernelHandle = UniqueHandle<HANDLE, handle_traits::Kernel>;
using UniqueFile = UniqueHandle<HANDLE, handle_traits::File>;
using UniqueKey = UniqueHandle<HKEY, handle_traits::RegKey>;
using UniqueModule = UniqueHandle<HMODULE, handle_traits::Module>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, handle_traits::GdiObject>;
using UniqueIcon = UniqueHandle<HICON, handle_traits::Icon>;
using UniqueLocal = UniqueHandle<HLOCAL, handle_traits::LocalMemory>;
using UniqueSid = UniqueHandle<PSID, handle_traits::Sid>;
using UniqueCngAlgorithm = UniqueHandle<BCRYPT_ALG_HANDLE, handle_traits::CngAlgorithm>;
using UniqueCngHash = UniqueHandle<BCRYPT_HASH_HANDLE, handle_traits::CngHash>;
