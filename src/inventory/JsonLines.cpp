#include "inventory/JsonLines.h"

#include <set>
#include <utility>
#include <variant>

#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"

namespace inventory {

namespace {

namespace k = discovery::keys;

// Fields in the order written; a value is text, a number or a truth.
class Line {
 public:
  void Text(const wchar_t* name, const std::wstring& value) {
    if (!value.empty()) Raw(name, JsonString(value));
  }
  void Number(const wchar_t* name, std::uint64_t value) { Raw(name, std::to_wstring(value)); }
  void Truth(const wchar_t* name, bool value) { Raw(name, value ? L"true" : L"false"); }
  // A name already written is not written again: a saved record's own keys
  // cannot repeat or replace a field.
  void Raw(const std::wstring& name, const std::wstring& json) {
    if (!names_.insert(name).second) return;
    out_ += out_.empty() ? L"{" : L",";
    out_ += JsonString(name) + L":" + json;
  }
  std::wstring Done() { return out_.empty() ? L"{}" : out_ + L"}"; }

 private:
  std::wstring out_;
  std::set<std::wstring> names_;
};

// The record values the schema's fields take; the rest go under
// "quillmoor." by these names, or by their own.
const std::vector<std::pair<std::wstring, std::wstring>>& OwnNames() {
  static const std::vector<std::pair<std::wstring, std::wstring>> names = {
      {k::kOriginalName, L"original_name"}, {k::kDisplayName, L"display_name"}, {k::kName, L"own_name"},
      {k::kButtonText, L"button_text"},     {k::kMenuText, L"menu_text"},       {k::kCatId, L"category"},
      {k::kCodeBase, L"code_base"},         {k::kProtocolList, L"list"},        {k::kClassId, L"class_id"},
      {k::kSystem, L"system"},              {k::kUrl, L"url"},                  {k::kIsDefault, L"is_default"},
      {k::kScope, L"scope"},                {k::kState, L"state"},              {k::kView, L"view"},
      {k::kSource, L"source"},              {k::kLastWritten, L"last_written"}, {k::kFileNote, L"file_note"},
      {k::kHashNote, L"hash_note"}};
  return names;
}

// Record keys match without regard to ASCII letter case, as CParams does.
bool SameKey(const std::wstring& a, const wchar_t* b) {
  const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return i == a.size() && !b[i];
}

bool TakenBySchema(const std::wstring& key) {
  for (const wchar_t* taken : {k::kKey, k::kHive, k::kDll, k::kSha256, k::kManufacturer, k::kVersion, k::kProduct, k::kSignature})
    if (SameKey(key, taken)) return true;
  return false;
}

// "NAME" of "Signed by NAME" or "Signed by NAME, not trusted".
std::wstring SignerOf(const std::wstring& status, const SignatureTemplates& templates) {
  for (const std::wstring* form : {&templates.signedNotTrusted, &templates.signedBy}) {
    const std::size_t mark = form->find(L"%1");
    if (mark == std::wstring::npos) continue;
    const std::wstring before = form->substr(0, mark), after = form->substr(mark + 2);
    if (status.size() > before.size() + after.size() && status.compare(0, before.size(), before) == 0 &&
        status.compare(status.size() - after.size(), after.size(), after) == 0)
      return status.substr(before.size(), status.size() - before.size() - after.size());
  }
  return {};
}

void AddRegistry(Line& line, const std::wstring& kind, const CResultNode& node) {
  const CParam* root = node.params.Find(k::kKey);
  const std::wstring key = node.params.Text(k::kHive);
  if (!root || key.empty()) return;
  const bool users = root->Number() == discovery::kUsersRootNumber;
  const std::wstring hive = users ? L"HKU" : L"HKLM";
  if (users) {
    const std::wstring first = key.substr(0, key.find(L'\\'));
    if (discovery::text::ClassifyUserKey(first) == discovery::text::UserKeyKind::Sid) line.Text(L"user.id", first);
    line.Text(L"user.name", node.params.Text(k::kScope));
  }
  bool valueEntry = false;
  for (const auto& each : discovery::AddonKinds())
    if (kind == each.scanName) valueEntry = each.entriesAreValues;
  // A subkey entry's own key: some kinds' records name the key holding it.
  const std::wstring own = L"\\" + node.ID;
  const bool holder = !valueEntry && (key.size() < own.size() || key.compare(key.size() - own.size(), own.size(), own) != 0);
  const std::wstring entryKey = holder ? key + own : key;
  line.Text(L"registry.hive", hive);
  line.Text(L"registry.key", entryKey);
  if (valueEntry) line.Text(L"registry.value", node.ID);
  line.Text(L"registry.path", hive + L"\\" + entryKey + (valueEntry ? own : L""));
}

void AddFile(Line& line, const CResultNode& node, const LineExtras& extras, const SignatureTemplates& signatures) {
  line.Text(L"file.path", node.params.Text(k::kDll));
  line.Text(L"file.hash.sha256", node.params.Text(k::kSha256));
  if (extras.fileSize) line.Number(L"file.size", *extras.fileSize);
  line.Text(L"file.mtime", extras.fileModified);
  line.Text(L"file.pe.company", node.params.Text(k::kManufacturer));
  line.Text(L"file.pe.file_version", node.params.Text(k::kVersion));
  line.Text(L"file.pe.product", node.params.Text(k::kProduct));
  const std::wstring status = node.params.Text(k::kSignature);
  line.Text(L"file.code_signature.subject_name", SignerOf(status, signatures));
  line.Text(L"file.code_signature.status", status);
}

// Every value the schema did not take, under "quillmoor.".
void AddOwn(Line& line, const CResultNode& node) {
  for (std::size_t i = 1; i <= node.params.Count(); ++i) {
    const CParam& param = *node.params.At(i);
    if (TakenBySchema(param.Key())) continue;
    std::wstring name = param.Key();
    for (const auto& [key, own] : OwnNames())
      if (SameKey(param.Key(), key.c_str())) name = own;
    const ParamValue& value = param.Values(1);
    const auto* number = std::get_if<std::int32_t>(&value);
    if (!number) line.Text((L"quillmoor." + name).c_str(), std::get<std::wstring>(value));
    else if (name == L"system" || name == L"is_default") line.Truth((L"quillmoor." + name).c_str(), *number != 0);
    else line.Raw(L"quillmoor." + name, std::to_wstring(*number));
  }
}

}  // namespace

std::wstring JsonLine(const std::wstring& kind, const CResultNode& node, const RunFacts& run, const LineExtras& extras,
                      const SignatureTemplates& signatures) {
  Line line;
  line.Text(L"@timestamp", run.timestamp);
  line.Text(L"event.kind", L"state");
  line.Text(L"host.name", run.hostName);
  line.Text(L"host.os.version", run.osVersion);
  line.Text(L"quillmoor.kind", kind);
  line.Text(L"quillmoor.id", node.ID);
  line.Text(L"quillmoor.name", DisplayNameOf(node));
  line.Text(L"quillmoor.change", extras.change);
  AddRegistry(line, kind, node);
  AddFile(line, node, extras, signatures);
  AddOwn(line, node);
  return line.Done();
}

std::wstring SummaryLine(const Summary& summary, const RunFacts& run) {
  Line line;
  line.Text(L"@timestamp", run.timestamp);
  line.Text(L"event.kind", L"metric");
  line.Text(L"host.name", run.hostName.substr(0, 255));
  std::size_t entries = 0;
  for (const auto& [kind, count] : summary.perKind) entries += count;
  line.Number(L"quillmoor.summary.entries", entries);
  for (const auto& [kind, count] : summary.perKind) line.Number((L"quillmoor.summary.count." + kind).c_str(), count);
  line.Number(L"quillmoor.summary.users_read", summary.usersRead);
  line.Number(L"quillmoor.summary.users_not_signed_in", summary.usersNotSignedIn);
  if (summary.hivesDirty) line.Number(L"quillmoor.summary.hives_dirty", *summary.hivesDirty);
  std::wstring failed;
  for (const auto& kind : summary.kindsNotListed) failed += (failed.empty() ? L"" : L",") + kind;
  line.Number(L"quillmoor.summary.kinds_not_listed", summary.kindsNotListed.size());
  line.Text(L"quillmoor.summary.kinds_not_listed_names", failed);
  if (summary.added) line.Number(L"quillmoor.summary.new", *summary.added);
  if (summary.gone) line.Number(L"quillmoor.summary.gone", *summary.gone);
  return line.Done();
}

}  // namespace inventory
