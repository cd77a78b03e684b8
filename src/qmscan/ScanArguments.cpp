#include "qmscan/ScanArguments.h"

namespace qmscan {

namespace {

bool IsCompare(const std::wstring& arg) { return arg == L"--compare" || arg == L"/compare"; }

}  // namespace

ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument) {
  options = Options{};
  errorArgument.clear();
  bool csv = false, json = false;
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
  options.compare = compares == 1;
  options.form = json ? OutputForm::Json : OutputForm::Csv;
  return ArgumentError::None;
}

}  // namespace qmscan
