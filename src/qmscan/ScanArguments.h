#pragma once
// qmscan's command line. Platform-free.
#include <optional>
#include <string>
#include <vector>

#include "engine/offline/OfflineMachine.h"

namespace qmscan {

enum class OutputForm { Csv, Json, JsonLines };

struct Options {
  OutputForm form = OutputForm::Csv;
  bool help = false;
  // --quiet: standard error only when the run fails.
  bool quiet = false;
  // --output FILE: the output replaces FILE in one step.
  std::wstring outputFile;
  // Set by --compare FILE: the saved inventory to compare the listing with.
  std::wstring compareWith;
  bool compare = false;
  // Set by --offline ROOT (the folder standing for the image's drive C:)
  // and --hive KIND=PATH: the listing reads a system that is not running.
  std::wstring offlineRoot;
  std::vector<engine::LooseHive> hives;
  bool Offline() const { return !offlineRoot.empty() || !hives.empty(); }
};

// Reads the arguments (without the program name). Anything but None leaves
// the argument at fault in errorArgument.
//   Unknown       an argument not understood
//   Conflict      --csv and --json together
//   FormConflict  --jsonl with --csv or --json
//   CompareAlone  --compare with any other argument (but --offline,
//                 --hive, --jsonl, --quiet and --output), or twice
//   MissingFile   --compare as the last argument
//   MissingValue  --offline, --hive or --output as the last argument, or an
//                 empty ROOT or FILE
//   BadHive       a --hive value that is not machine=PATH, user:SID=PATH or
//                 classes:SID=PATH (an empty PATH or SID, or a SID with "\")
//   OfflineTwice  --offline given twice
//   OutputTwice   --output given twice
enum class ArgumentError {
  None, Unknown, Conflict, FormConflict, CompareAlone, MissingFile, MissingValue, BadHive, OfflineTwice, OutputTwice
};

// The hive a --hive value names; nothing when it names none.
std::optional<engine::LooseHive> ParseHive(const std::wstring& value);
ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument);

}  // namespace qmscan
