// qmscan over the fixture registry: its CSV and JSON read back give exactly
// the records discovery makes in process; hostile names come out harmless in
// CSV and exact in JSON; --compare against a saved listing tells what is
// new and what is gone; bad arguments are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/live/LiveFileFacts.h"
#include "engine/live/LiveListing.h"
#include "engine/files/FileResolver.h"
#include "engine/text/VisibleText.h"
#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
#include "ozcore/Utf8Text.h"
#include "qmscan/ParseBack.h"
#include "inventory/InventoryText.h"
#include "support/HostileRegistry.h"
#include "support/KindEntries.h"
#include "support/RecordText.h"
#include "support/RegFixture.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

using Output = ProcessOutput;
Output RunQmscan(const std::wstring& args) { return RunCaptured(L"\"" + DistFolder() + L"\\qmscan.exe\" " + args); }

// Every record of every kind as discovery gives it, in table order.
std::vector<std::pair<std::wstring, ExpectedRecord>> InProcess() {
  FileResolver files(true);
  std::vector<std::pair<std::wstring, ExpectedRecord>> records;
  auto add = [&](const wchar_t* kind, const std::optional<CResultNodes>& list) {
    ASSERT_TRUE(list.has_value());
    for (std::size_t i = 1; i <= list->Count(); ++i) records.emplace_back(kind, FromNode(*list->Item(i)));
  };
  for (const auto& kind : discovery::AddonKinds()) add(kind.scanName, discovery::ListAddons(kind, files));
  return records;
}

// The name a CSV text cell shows, read back: the mark taken off, the caret
// notation undone.
std::optional<std::wstring> NameOfCell(std::wstring cell) {
  if (!cell.empty() && cell.front() == L'\'') cell.erase(0, 1);
  return discovery::text::FromVisibleText(cell);
}

// True when the CSV cell stands for the value: a number as written, text
// read back to exactly the value, a missing value as an empty cell.
bool CellMatches(const std::wstring& cell, const ExpectedRecord& r, const std::wstring& column) {
  for (const auto& [key, value] : r.values) {
    if (_wcsicmp(key.c_str(), column.c_str()) != 0) continue;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return cell == std::to_wstring(*n);
    return NameOfCell(cell) == std::optional<std::wstring>(std::get<std::wstring>(value));
  }
  return cell.empty();
}

template <typename T>
const T& As(const JsonValue& v) {
  return *std::get<std::shared_ptr<T>>(v.value);
}

}  // namespace

TEST(Qmscan, CsvAndJsonReadBackToDiscoverysRecords) {
  RegFixture reg;
  KindEntries entries(reg);
  const auto world = AddEveryKindEverywhere(entries);
  const auto expected = InProcess();

  const Output csv = RunQmscan(L"");
  ASSERT_EQ(csv.code, 0) << csv.err;
  EXPECT_EQ(csv.err, "");
  std::vector<std::vector<std::wstring>> rows;
  ASSERT_TRUE(ParseCsv(CUtilities::FromUtf8(csv.out), rows));
  ASSERT_EQ(rows.size(), expected.size() + 1);
  std::vector<std::wstring> header = {L"kind", L"ID"};
  for (const auto& c : inventory::CsvValueColumns()) header.push_back(c);
  EXPECT_EQ(rows[0], header);
  const auto& columns = inventory::CsvValueColumns();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& row = rows[i + 1];
    ASSERT_EQ(row.size(), columns.size() + 2);
    EXPECT_EQ(row[0], expected[i].first);
    EXPECT_EQ(NameOfCell(row[1]), std::optional<std::wstring>(expected[i].second.id));
    for (std::size_t c = 0; c < columns.size(); ++c)
      EXPECT_TRUE(CellMatches(row[c + 2], expected[i].second, columns[c]))
          << Narrow(columns[c] + L": " + row[c + 2] + L"\n" + Describe(expected[i].second));
  }
  // Every entry of the world is among the rows, under its kind's own name.
  for (const auto& [kind, entry] : world) {
    const std::wstring scanName = discovery::Kind(kind).scanName;
    const bool listed = std::any_of(rows.begin() + 1, rows.end(), [&](const std::vector<std::wstring>& row) {
      return row[0] == scanName && NameOfCell(row[1]) == std::optional<std::wstring>(entry.id);
    });
    EXPECT_TRUE(listed) << Narrow(scanName + L" " + entry.id);
  }

  const Output json = RunQmscan(L"--json");
  ASSERT_EQ(json.code, 0) << json.err;
  JsonValue doc;
  ASSERT_TRUE(ParseJson(CUtilities::FromUtf8(json.out), doc));
  const auto& array = As<JsonArray>(doc);
  ASSERT_EQ(array.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& object = As<JsonObject>(array[i]);
    ASSERT_EQ(object.size(), 3u);
    EXPECT_EQ(object[0].first, L"kind");
    EXPECT_EQ(std::get<std::wstring>(object[0].second.value), expected[i].first);
    EXPECT_EQ(std::get<std::wstring>(object[1].second.value), expected[i].second.id);
    ExpectedRecord back{expected[i].second.id, {}};
    for (const auto& [key, value] : As<JsonObject>(object[2].second)) {
      if (const auto* n = std::get_if<std::int64_t>(&value.value))
        back.values.emplace_back(key, static_cast<std::int32_t>(*n));
      else
        back.values.emplace_back(key, std::get<std::wstring>(value.value));
    }
    EXPECT_TRUE(back.values == expected[i].second.values) << Narrow(Describe(back) + L"\n" + Describe(expected[i].second));
  }
}

TEST(Qmscan, ArgumentsAndHelp) {
  // The help text itself is the string table's; asked for, it is printed.
  const Output help = RunQmscan(L"--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out, "");
  EXPECT_EQ(RunQmscan(L"/?").code, 0);

  // An argument is quoted in the message, shown, never acted on.
  const Output hostile = RunQmscan(L"\"--x\x1b[2J\x1b]0;t\x07\"");
  EXPECT_EQ(hostile.code, 2);
  EXPECT_EQ(hostile.err.find('\x1b'), std::string::npos) << hostile.err;
  EXPECT_EQ(hostile.err.find('\x07'), std::string::npos);
  EXPECT_NE(hostile.err.find("--x^[[2J^[]0;t^G"), std::string::npos) << hostile.err;
  EXPECT_EQ(hostile.out, "");
}

namespace {

const std::wstring kMenuExt = L"Software\\Microsoft\\Internet Explorer\\MenuExt";

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The raw output less the CR LF that ends each record or line.
std::wstring WithoutLineEnds(std::wstring text) {
  for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.erase(at, 2);
  return text;
}

}  // namespace

// Context-menu extensions of the current user whose names attack whatever
// shows them: a spreadsheet, a terminal, a reader of the text.
TEST(Qmscan, HostileNamesAreShownSafelyInCsvAndExactlyInJson) {
  const std::vector<std::wstring> names = {
      L"=cmd|' /C calc'!A0", L"\r\n[HKEY_LOCAL_MACHINE", L"\x1b[2J\x1b[H\x1b]0;owned\x07 cleared",
      L"@SUM(1+1)*cmd|' /C calc'!A0", L"+1+1 plus", L"-2+3 minus", L"'=already marked", L"\t=tab first",
      L"safe\u202Eexe.txt", L"\u009b31m red\u007f\u0085", L"^@evil", std::wstring(L"\0evil", 5)};
  RegFixture reg;
  for (const auto& name : names) {
    // A .reg line in the script address, which becomes the file cell.
    hostile::SetString(reg.Counted(HKEY_CURRENT_USER, kMenuExt, name).get(), L"",
                       L"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuillmoorCanary]\r\n\"Run\"=\"calc\"\r\n");
  }

  const Output csv = RunQmscan(L"");
  ASSERT_EQ(csv.code, 0) << csv.err;
  EXPECT_EQ(csv.out.find('\x1b'), std::string::npos);
  std::vector<std::vector<std::wstring>> rows;
  ASSERT_TRUE(ParseCsv(CUtilities::FromUtf8(csv.out), rows));
  ASSERT_GE(rows.size(), 2u);
  const std::vector<std::wstring>& header = rows[0];
  std::vector<std::wstring> seen;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    ASSERT_EQ(rows[r].size(), header.size()) << r;
    for (std::size_t c = 0; c < header.size(); ++c) {
      const std::wstring& cell = rows[r][c];
      EXPECT_FALSE(HoldsUnsafeCharacter(cell)) << Narrow(header[c] + L": " + cell);
      if (header[c] == L"key" || header[c] == L"view")
        EXPECT_EQ(cell.find_first_not_of(L"-0123456789"), std::wstring::npos) << Narrow(cell);
      else
        EXPECT_FALSE(EvaluableCell(cell)) << Narrow(header[c] + L": " + cell);
    }
    const auto id = NameOfCell(rows[r][1]);
    ASSERT_TRUE(id.has_value()) << Narrow(rows[r][1]);
    if (rows[r][0] == L"menuext" && Contains(names, *id)) seen.push_back(*id);
  }
  for (const auto& name : names)
    EXPECT_EQ(std::count(seen.begin(), seen.end(), name), 1) << Narrow(discovery::text::VisibleText(name));

  const Output json = RunQmscan(L"--json");
  ASSERT_EQ(json.code, 0) << json.err;
  const std::wstring jsonText = CUtilities::FromUtf8(json.out);
  EXPECT_FALSE(HoldsUnsafeCharacter(WithoutLineEnds(jsonText)));
  JsonValue doc;
  ASSERT_TRUE(ParseJson(jsonText, doc));
  seen.clear();
  for (const auto& item : As<JsonArray>(doc)) {
    const auto& object = As<JsonObject>(item);
    ASSERT_EQ(object.size(), 3u);
    const std::wstring& id = std::get<std::wstring>(object[1].second.value);
    if (std::get<std::wstring>(object[0].second.value) == L"menuext" && Contains(names, id)) seen.push_back(id);
  }
  for (const auto& name : names)
    EXPECT_EQ(std::count(seen.begin(), seen.end(), name), 1) << Narrow(discovery::text::VisibleText(name));
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

}  // namespace

TEST(Qmscan, CompareTellsWhatIsNewAndWhatIsGone) {
  RegFixture reg;
  reg.Counted(HKEY_CURRENT_USER, kMenuExt, L"QuillmoorCompareStays");
  reg.Counted(HKEY_CURRENT_USER, kMenuExt, L"QuillmoorCompareGoes");
  TempFolder tmp;
  const std::wstring saved = tmp.File(L"Inventory before.json");
  const Output before = RunQmscan(L"--json");
  ASSERT_EQ(before.code, 0) << before.err;
  WriteBytes(saved, before.out);

  const Output same = RunQmscan(L"--compare \"" + saved + L"\"");
  EXPECT_EQ(same.code, 0) << same.err;
  EXPECT_EQ(same.out, "");
  EXPECT_EQ(same.err, "");

  // A name that tries to start a line of its own.
  hostile::DeleteTree(HKEY_CURRENT_USER, kMenuExt, L"QuillmoorCompareGoes");
  reg.Counted(HKEY_CURRENT_USER, kMenuExt, L"QuillmoorCompareNew\r\nGone: forged\x1b[2J");
  const Output changed = RunQmscan(L"--compare \"" + saved + L"\"");
  EXPECT_EQ(changed.code, 4) << changed.err;
  EXPECT_EQ(changed.out.find('\x1b'), std::string::npos);
  const auto lines = Lines(changed.out);
  ASSERT_EQ(lines.size(), 2u) << changed.out;
  const std::string added = "QuillmoorCompareNew^M^JGone: forged^[[2J";
  EXPECT_TRUE(StartsWith(lines[0], "New: menuext \"" + added + "\" (HKEY_")) << lines[0];
  EXPECT_NE(lines[0].find("\\Software\\Microsoft\\Internet Explorer\\MenuExt\\" + added + ", "), std::string::npos)
      << lines[0];
  EXPECT_TRUE(StartsWith(lines[1], "Gone: menuext \"QuillmoorCompareGoes\" (HKEY_")) << lines[1];
  EXPECT_NE(lines[1].find("\\MenuExt\\QuillmoorCompareGoes, "), std::string::npos) << lines[1];
  for (const auto& line : lines) EXPECT_EQ(line.back(), ')') << line;
}

namespace {

// Runs a shell script of the host (Wine starts Unix programs) and gives
// what it printed.
std::string RunUnix(const TempFolder& tmp, const std::string& script) {
  const std::wstring file = tmp.File(L"run.sh"), out = tmp.File(L"run.out"), done = tmp.File(L"run.done");
  DeleteFileW(done.c_str());
  WriteBytes(file, "(" + script + ") > '" + UnixPath(out) + "' 2>&1\necho > '" + UnixPath(done) + "'\n");
  RunProcess(L"Z:\\bin\\sh \"" + CUtilities::FromUtf8(UnixPath(file)) + L"\"");
  for (int wait = 0; wait < 1200 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) Sleep(50);
  return ReadBytes(out);
}

}  // namespace

// JSON Lines as a collector reads them from --output: Python's strict
// reader takes every line, the entries are --json's, the fixture's hash is
// sha256sum's, and a share, a missing file and one over the limit say why
// they have none; exit codes for bad arguments, no folder and a change.
TEST(Qmscan, JsonLinesForCollectors) {
  RegFixture reg;
  TempFolder tmp;
  const std::wstring big = tmp.File(L"big.dll"), fixture = FixtureFolder() + L"\\fx_strings.dll";
  RunUnix(tmp, "truncate -s 257M '" + UnixPath(big) + "'");
  const std::vector<std::pair<std::wstring, std::wstring>> files = {
      {fixture, FixtureSha256(L"fx_strings.dll")},
      {big, LoadStr(IDS_HASH_TOO_LARGE)},
      {L"\\\\server\\share\\x.dll", LoadStr(IDS_HASH_NETWORK_PATH)},
      {tmp.File(L"none.dll"), LoadStr(IDS_HASH_NO_FILE)}};
  for (std::size_t i = 0; i < files.size(); ++i)
    hostile::SetString(reg.Counted(HKEY_CURRENT_USER, kMenuExt, std::wstring(L"Fleet\x1b\u202e\0", 8) + std::to_wstring(i)).get(),
                       L"", files[i].first);
  const std::wstring out = tmp.File(L"out.jsonl");
  WriteBytes(out, "earlier\n");
  const Output run = RunQmscan(L"--jsonl --quiet --output \"" + out + L"\"");
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  const std::wstring checked = CUtilities::FromUtf8(RunUnix(tmp, "python3 " QLM_STRICT_JSONL " '" + UnixPath(out) + "'"));
  const Output json = RunQmscan(L"--json");
  JsonValue doc;
  ASSERT_TRUE(ParseJson(CUtilities::FromUtf8(json.out), doc));
  const auto& listed = As<JsonArray>(doc);
  std::vector<JsonValue> lines;
  for (std::size_t at = 0, end; (end = checked.find(L'\n', at)) != std::wstring::npos; at = end + 1)
    ASSERT_TRUE(ParseJson(checked.substr(at, end - at), lines.emplace_back())) << Narrow(checked);
  ASSERT_EQ(lines.size(), listed.size() + 1) << Narrow(checked);
  std::map<std::wstring, std::wstring> hashOrNote;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const auto& row = As<JsonArray>(lines[i]);
    const auto& object = As<JsonObject>(listed[i]);
    std::map<std::wstring, std::wstring> values;
    for (const auto& [key, value] : As<JsonObject>(object[2].second))
      if (const auto* text = std::get_if<std::wstring>(&value.value)) values[key] = *text;
    EXPECT_EQ(std::get<std::wstring>(row[0].value), std::get<std::wstring>(object[0].second.value));
    EXPECT_EQ(std::get<std::wstring>(row[1].value), std::get<std::wstring>(object[1].second.value));
    EXPECT_EQ(std::get<std::wstring>(row[2].value), values[L"dLL"]);
    const std::wstring hash = std::get<std::wstring>(row[3].value), note = std::get<std::wstring>(row[4].value);
    EXPECT_EQ(hash + L"|" + note, values[L"sha256"] + L"|" + values[L"hashNote"]);
    hashOrNote[Upper(std::get<std::wstring>(row[2].value))] = hash + note;
  }
  for (const auto& [file, expected] : files) EXPECT_EQ(hashOrNote[Upper(file)], expected) << Narrow(file);

  EXPECT_EQ(RunQmscan(L"--jsonl --json").code, 2);
  EXPECT_EQ(RunQmscan(L"--output \"" + tmp.File(L"none\\x.csv") + L"\"").code, 3);
  WriteBytes(out, json.out);
  reg.Counted(HKEY_CURRENT_USER, kMenuExt, L"QuillmoorFleetNew");
  const Output changed = RunQmscan(L"--jsonl --compare \"" + out + L"\"");
  EXPECT_EQ(changed.code, 4) << changed.err;
  const std::size_t at = changed.out.find("\"quillmoor.id\":\"QuillmoorFleetNew\"");
  ASSERT_NE(at, std::string::npos) << changed.out;
  const std::string line = changed.out.substr(at, changed.out.find('\n', at) - at);
  EXPECT_NE(line.find("\"quillmoor.change\":\"new\""), std::string::npos) << line;
  EXPECT_EQ(std::count(changed.out.begin(), changed.out.end(), '\n'), static_cast<long>(listed.size()) + 2);
}

// Offline on Windows the platform checks each image file's own signature,
// as it checks the same file live where no catalog names it; an unsigned
// file says the image's catalogs were not consulted. A user's hive given on
// its own with --hive is listed as that user's.
TEST(Qmscan, OfflineImageFilesAreCheckedByThePlatform) {
  TempFolder image;
  const std::wstring quill = image.File(L"Quill"), config = image.File(L"Windows\\System32\\config");
  for (const auto& folder : {image.File(L"Windows"), image.File(L"Windows\\System32"), config, quill})
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::pair<const wchar_t*, std::wstring> copies[] = {{L"offline-software.dat", config + L"\\SOFTWARE"},
                                                            {L"fx_signed.dll", quill + L"\\signed.dll"},
                                                            {L"fx_company.dll", quill + L"\\unsigned.dll"},
                                                            {L"fx_tampered.dll", quill + L"\\tampered.dll"}};
  for (const auto& [from, to] : copies)
    ASSERT_TRUE(CopyFileW((FixtureFolder() + L"\\" + from).c_str(), to.c_str(), TRUE)) << Narrow(from) << GetLastError();
  const Output out = RunQmscan(L"--jsonl --offline \"" + image.Path() + L"\" --hive user:S-1-5-21-7-7-7-1237=\"" +
                               FixtureFolder() + L"\\signed-out-user.dat\"");
  FileResolver resolver(true);
  engine::LiveFileFacts live(resolver);
  const std::wstring expected[] = {live.SignatureText(quill + L"\\signed.dll"), LoadStr(IDS_IMAGE_NOT_SIGNED),
                                   live.SignatureText(quill + L"\\tampered.dll")};
  EXPECT_NE(expected[0], expected[2]);
  for (int i = 0; i < 3; ++i) {
    const std::string id = "{51A1E000-0000-4000-8000-00000000000" + std::to_string(i + 1) + "}";
    const std::size_t at = out.out.find("\"registry.value\":\"" + id + "\"");
    ASSERT_NE(at, std::string::npos) << id << out.out << out.err;
    const std::string line = out.out.substr(out.out.rfind('\n', at) + 1, out.out.find('\n', at) - out.out.rfind('\n', at));
    EXPECT_NE(line.find("\"file.code_signature.status\":\"" + utf8text::ToUtf8(expected[i]) + "\""), std::string::npos)
        << line;
    EXPECT_NE(line.find("\"file.pe.product\":\"Fixture Product\""), std::string::npos) << line;
  }
  EXPECT_NE(out.out.find("\"user.id\":\"S-1-5-21-7-7-7-1237\""), std::string::npos) << out.out;
}
