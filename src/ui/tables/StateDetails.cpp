#include "ui/tables/StateDetails.h"

#include <windows.h>

#include <cwchar>

#include "StringIds.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/text/VisibleText.h"

namespace tables {
namespace {

// A time as listed ("2024-05-01T12:34:56Z", UTC) in the user's local time
// and format; as listed when it is not one.
std::wstring LocalTimeText(const std::wstring& listed) {
  SYSTEMTIME utc{}, local{};
  wchar_t end = 0;
  if (swscanf(listed.c_str(), L"%4hu-%2hu-%2huT%2hu:%2hu:%2hu%lc", &utc.wYear, &utc.wMonth, &utc.wDay, &utc.wHour,
              &utc.wMinute, &utc.wSecond, &end) != 7 ||
      end != L'Z' || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return listed;
  wchar_t date[128] = {}, time[128] = {};
  if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128, nullptr) ||
      !GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, time, 128))
    return listed;
  return std::wstring(date) + L" " + time;
}

}  // namespace

void AddStateDetails(const CResultNode& record, CParams& details) {
  namespace k = discovery::keys;
  if (const CParam* state = record.params.Find(k::kState)) details.Add(LoadStr(IDS_CAPTION_STATE), discovery::text::VisibleText(state->Text()));
  if (const CParam* signature = record.params.Find(k::kSignature))
    details.Add(LoadStr(IDS_CAPTION_SIGNATURE), discovery::text::VisibleText(signature->Text()));
  // When the entry's key was last written: when the add-on was registered
  // or last changed.
  const std::wstring written = record.params.Text(k::kLastWritten);
  if (!written.empty()) details.Add(LoadStr(IDS_CAPTION_REGISTERED), LocalTimeText(written));
}

bool RecordLooksInactive(const CResultNode& record) {
  // The state text is the program's own, made from the string table.
  const CParam* state = record.params.Find(discovery::keys::kState);
  if (!state) return false;
  static const std::wstring none = LoadStr(IDS_STATE_NOT_APPLICABLE);
  const std::wstring text = state->Text();
  return text != none && discovery::state::SummaryShowsInactive(text, discovery::StateTextsFromTable());
}

}  // namespace tables
