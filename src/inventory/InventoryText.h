#pragma once
// The text forms of an add-on inventory: one CSV row or one JSON object per
// record, every named value included, and the whole documents qmscan
// prints and the program saves. Platform-free.
//
// Registry names are written by whoever installed the add-on and may be
// hostile. CSV is for spreadsheets and eyes: its text cells show control
// and invisible characters in the caret notation of engine/text/VisibleText.h
// and never begin with a character a spreadsheet evaluates. JSON is for
// programs: every name comes back exactly, with every character that could
// move a terminal's cursor or reorder text written as \uXXXX.
#include <cstdint>
#include <string>
#include <vector>

#include "ozcore/CParams.h"

namespace inventory {

// The value keys in CSV column order after "kind" and "ID". "Name" also
// takes the "name" of a context-menu extension (keys match without regard
// to case; no record has both).
const std::vector<std::wstring>& CsvValueColumns();

// A CSV text cell: the text in visible form (discovery::text::VisibleText),
// then a leading "'" when it begins with "=", "+", "-", "@", TAB, CR or "'"
// (the last so that a name that really begins with "'" stays apart), then
// quoted as RFC 4180 says when it holds a comma or a quote (quotes
// doubled).
std::wstring CsvField(const std::wstring& text);
// A number cell: the decimal number as it is, never marked.
std::wstring CsvNumber(std::int32_t number);
// The header line and one record's line, each ending with CR LF. A value
// the record does not have is an empty field; a number value is a number
// cell.
std::wstring CsvHeader();
std::wstring CsvRow(const std::wstring& kind, const CResultNode& node);

// A JSON string literal. Quotes, backslashes, C0 and C1 controls, DEL,
// unpaired surrogates and the invisible characters VisibleText escapes are
// escaped, so every registry name comes back as it was and nothing in it
// acts on a terminal.
std::wstring JsonString(const std::wstring& text);
// {"kind":...,"ID":...,"values":{...}} with the values in the record's
// order; number values ("key", "view") are numbers.
std::wstring JsonRecord(const std::wstring& kind, const CResultNode& node);

// Text about to be written to a console or a pipe, made safe as a last
// guard: LF and CR LF are kept, every other control (a lone CR too, which
// would let a line overwrite itself), invisible character and
// unpaired surrogate is written in caret notation. Text that holds none
// (all CSV and JSON above) is returned unchanged.
std::wstring TerminalSafe(const std::wstring& text);

// One record of a listing and the kind it belongs to (its "kind" value).
// The record is borrowed: it must outlive the document's making.
struct KindRecord {
  std::wstring kind;
  const CResultNode* node;
};

// A whole listing as a JSON array, one record a line:
// "[" CR LF "  {...}," CR LF "  {...}" CR LF "]" CR LF, or "[]" CR LF when
// there is none. What qmscan --json prints and an inventory file holds.
std::wstring JsonDocument(const std::vector<KindRecord>& records);
// The header line and one line per record (CsvHeader, CsvRow).
std::wstring CsvDocument(const std::vector<KindRecord>& records);

}  // namespace inventory
