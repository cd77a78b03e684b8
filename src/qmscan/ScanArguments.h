#pragma once
// qmscan's command line. Platform-free.
#include <string>
#include <vector>

namespace qmscan {

enum class OutputForm { Csv, Json };

struct Options {
  OutputForm form = OutputForm::Csv;
  bool help = false;
  // Set by --compare FILE: the saved inventory to compare the listing with.
  std::wstring compareWith;
  bool compare = false;
};

// Reads the arguments (without the program name). Anything but None leaves
// the argument at fault in errorArgument.
//   Unknown       an argument not understood
//   Conflict      --csv and --json together
//   CompareAlone  --compare with any other argument, or twice
//   MissingFile   --compare as the last argument
enum class ArgumentError { None, Unknown, Conflict, CompareAlone, MissingFile };
ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument);

}  // namespace qmscan
