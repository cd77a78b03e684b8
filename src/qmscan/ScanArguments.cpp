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

namespace {

// What the arguments asked for so far, beyond what Options holds.
struct Seen {
  bool csv = false, json = false, jsonLines = false;
  std::size_t compares = 0, others = 0;  // others: what --compare cannot go with
};

// An argument that takes the next one as its value (--compare, --offline,
// --hive, --output): the value is whatever follows, even a text that looks
// like an argument (a file may be called "--json"). i moves past it.
ArgumentError TakeValued(const std::vector<std::wstring>& args, std::size_t& i, Options& options, Seen& seen,
                         std::wstring& errorArgument) {
  const std::wstring& arg = args[i];
  const bool hasValue = i + 1 < args.size();
  errorArgument = arg;
  if (IsCompare(arg)) {
    if (!hasValue) return ArgumentError::MissingFile;
    options.compareWith = args[++i];
    ++seen.compares;
  } else if (IsOutput(arg)) {
    if (!hasValue || args[i + 1].empty()) return ArgumentError::MissingValue;
    if (!options.outputFile.empty()) return ArgumentError::OutputTwice;
    options.outputFile = args[++i];
  } else {
    const ArgumentError error = hasValue ? TakeOfflineValue(arg, args[i + 1], options) : ArgumentError::MissingValue;
    if (error != ArgumentError::None) {
      if (hasValue && IsHive(arg)) errorArgument = args[i + 1];
      return error;
    }
    ++i;
  }
  errorArgument.clear();
  return ArgumentError::None;
}

// A flag; --jsonl and --quiet go with --compare too.
ArgumentError TakeFlag(const std::wstring& arg, Options& options, Seen& seen, std::wstring& errorArgument) {
  if (arg == L"--jsonl" || arg == L"/jsonl") {
    seen.jsonLines = true;
    return ArgumentError::None;
  }
  if (arg == L"--quiet" || arg == L"/quiet" || arg == L"-q") {
    options.quiet = true;
    return ArgumentError::None;
  }
  ++seen.others;
  if (arg == L"--json" || arg == L"/json") {
    seen.json = true;
  } else if (arg == L"--csv" || arg == L"/csv") {
    seen.csv = true;
  } else if (arg == L"--help" || arg == L"-h" || arg == L"/?" || arg == L"-?") {
    options.help = true;
  } else {
    errorArgument = arg;
    return ArgumentError::Unknown;
  }
  return ArgumentError::None;
}

}  // namespace

ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument) {
  options = Options{};
  errorArgument.clear();
  Seen seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool valued = IsCompare(arg) || IsOffline(arg) || IsHive(arg) || IsOutput(arg);
    const ArgumentError error =
        valued ? TakeValued(args, i, options, seen, errorArgument) : TakeFlag(arg, options, seen, errorArgument);
    if (error != ArgumentError::None) return error;
  }
  if (seen.compares > 1 || (seen.compares == 1 && seen.others > 0)) {
    errorArgument = L"--compare";
    return ArgumentError::CompareAlone;
  }
  if (seen.csv && seen.json) {
    errorArgument = L"--json";
    return ArgumentError::Conflict;
  }
  if (seen.jsonLines && (seen.csv || seen.json)) {
    errorArgument = L"--jsonl";
    return ArgumentError::FormConflict;
  }
  options.compare = seen.compares == 1;
  options.form = seen.jsonLines ? OutputForm::JsonLines : seen.json ? OutputForm::Json : OutputForm::Csv;
  return ArgumentError::None;
}

}  // namespace qmscan
