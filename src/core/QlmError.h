#pragma once
// The error a class raises to tell its caller about a failure: a number (an
// offset added to the object-error base, or a system code), a source and a
// description. Used inside the program only; it never crosses a window
// procedure or a DLL boundary.
#include <cstdint>
#include <exception>
#include <string>

// The base that object-defined error numbers are added to (0x80040000).
constexpr std::int32_t kObjectErrorBase = -2147221504;

// The numbers log readers know, by what they mean.
namespace errors {
constexpr std::int32_t kObjectNotSet = 91;        // "Object variable or With block variable not set"
constexpr std::int32_t kFileAccess = 75;          // a file could not be written
constexpr std::int32_t kDllEntryMissing = 453;    // "Can't find DLL entry point"
constexpr std::int32_t kIndexOutOfBounds = 35600; // a list row that does not exist
}  // namespace errors

class QlmError : public std::exception {
 public:
  QlmError(std::int32_t number, std::wstring source, std::wstring description)
      : number_(number), source_(std::move(source)), description_(std::move(description)) {}

  std::int32_t Number() const noexcept { return number_; }
  const std::wstring& Source() const noexcept { return source_; }
  const std::wstring& Description() const noexcept { return description_; }
  const char* what() const noexcept override { return "QlmError"; }

 private:
  std::int32_t number_;
  std::wstring source_;
  std::wstring description_;
};
