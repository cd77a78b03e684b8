#pragma once
// The output forms of qmscan: one CSV row or one JSON object per record,
// every named value included. Platform-free.
#include <string>
#include <vector>

#include "ozcore/CParams.h"

namespace qmscan {

// The value keys in CSV column order after "kind" and "ID". "Name" also
// takes the "name" of a context-menu extension (keys match without regard
// to case; no record has both).
const std::vector<std::wstring>& CsvValueColumns();

// One field quoted when it holds a comma, a quote, CR or LF (quotes
// doubled).
std::wstring CsvField(const std::wstring& text);
// The header line and one record's line, each ending with CR LF. A value
// the record does not have is an empty field.
std::wstring CsvHeader();
std::wstring CsvRow(const std::wstring& kind, const CResultNode& node);

// A JSON string literal. Control characters, quotes, backslashes and
// unpaired surrogates are escaped, so every registry name comes back as it
// was.
std::wstring JsonString(const std::wstring& text);
// {"kind":...,"ID":...,"values":{...}} with the values in the record's
// order; "key" is a number.
std::wstring JsonRecord(const std::wstring& kind, const CResultNode& node);

enum class OutputForm { Csv, Json };

struct Options {
  OutputForm form = OutputForm::Csv;
  bool help = false;
};

// Reads the arguments (without the program name). False with a message
// (errorArgument: the argument at fault) on anything not understood.
enum class ArgumentError { None, Unknown, Conflict };
ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument);

}  // namespace qmscan
