#include "qmscan/ScanArguments.h"

namespace qmscan {

namespace {

bool IsCompare(const std::wstring& arg) { return arg == L"--compare" || arg == L"/compare"; }
bool IsOffline(const std::wstring& arg) { return arg == L"--offline" || arg == L"/offline"; }
bool IsHive(const std::wstring& arg) { return arg == L"--hive" || arg == L"/hive"; }
bool IsOutput(const std::wstring& arg) { return arg == L"--output" || arg == L"/output"; }

// Reads --offline's or --hive's value into options.
ArgumentError TakeOfflineValue(const std::wstring& arg, const std::wstring& value, Options& options) {
  if (IsHive(arg)) {
    const auto hive = ParseHive(value);
    if (!hive) return ArgumentError::BadHive;
    options.hives.push_back(*hive);
    return ArgumentError::None;
  }
  if (!options.offlineRoot.empty()) return ArgumentError::OfflineTwice;
  if (value.empty()) return ArgumentError::MissingValue;
  options.offlineRoot = value;
  return ArgumentError::None;
}

}  // namespace

std::optional<engine::LooseHive> ParseHive(const std::wstring& value) {
  using Kind = engine::LooseHive::Kind;
  const std::size_t equals = value.find(L'=');
  if (equals == std::wstring::npos || equals + 1 == value.size()) return std::nullopt;
  const std::wstring kind = value.substr(0, equals);
  engine::LooseHive hive;
  hive.path = value.substr(equals + 1);
  if (kind == L"machine") return hive;
  const std::size_t colon = kind.find(L':');
  if (colon == std::wstring::npos) return std::nullopt;
  const std::wstring word = kind.substr(0, colon);
  hive.sid = kind.substr(colon + 1);
  // A SID names one key below HKEY_USERS: never a path, never empty.
  if (hive.sid.empty() || hive.sid.find(L'\\') != std::wstring::npos) return std::nullopt;
  if (word == L"user") hive.kind = Kind::User;
  else if (word == L"classes") hive.kind = Kind::Classes;
  else return std::nullopt;
  return hive;
}

ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument) {
  options = Options{};
  errorArgument.clear();
  bool csv = false, json = false, jsonLines = false;
  std::size_t compares = 0, others = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (IsCompare(arg)) {
      // The file name is whatever follows, even a text that looks like an
      // argument: a file may be called "--json".
      if (i + 1 >= args.size()) {
        errorArgument = arg;
        return ArgumentError::MissingFile;
      }
      options.compareWith = args[++i];
      ++compares;
      continue;
    }
    if (IsOffline(arg) || IsHive(arg)) {
      // As with --compare, the value is whatever follows.
      const ArgumentError error =
          i + 1 < args.size() ? TakeOfflineValue(arg, args[i + 1], options) : ArgumentError::MissingValue;
      if (error != ArgumentError::None) {
        errorArgument = i + 1 < args.size() && IsHive(arg) ? args[i + 1] : arg;
        return error;
      }
      ++i;
      continue;
    }
    if (IsOutput(arg)) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        errorArgument = arg;
        return ArgumentError::MissingValue;
      }
      if (!options.outputFile.empty()) {
        errorArgument = arg;
        return ArgumentError::OutputTwice;
      }
      options.outputFile = args[++i];
      continue;
    }
    // These go with --compare too.
    if (arg == L"--jsonl" || arg == L"/jsonl") {
      jsonLines = true;
      continue;
    }
    if (arg == L"--quiet" || arg == L"/quiet" || arg == L"-q") {
      options.quiet = true;
      continue;
    }
    ++others;
    if (arg == L"--json" || arg == L"/json") {
      json = true;
    } else if (arg == L"--csv" || arg == L"/csv") {
      csv = true;
    } else if (arg == L"--help" || arg == L"-h" || arg == L"/?" || arg == L"-?") {
      options.help = true;
    } else {
      errorArgument = arg;
      return ArgumentError::Unknown;
    }
  }
  if (compares > 1 || (compares == 1 && others > 0)) {
    errorArgument = L"--compare";
    return ArgumentError::CompareAlone;
  }
  if (csv && json) {
    errorArgument = L"--json";
    return ArgumentError::Conflict;
  }
  if (jsonLines && (csv || json)) {
    errorArgument = L"--jsonl";
    return ArgumentError::FormConflict;
  }
  options.compare = compares == 1;
  options.form = jsonLines ? OutputForm::JsonLines : json ? OutputForm::Json : OutputForm::Csv;
  return ArgumentError::None;
}

}  // namespace qmscan
