#include "ui/tables/StateDetails.h"

#include "StringIds.h"
#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/VisibleText.h"

namespace tables {

void AddStateDetails(const CResultNode& record, CParams& details) {
  namespace k = discovery::keys;
  if (const CParam* state = record.params.Find(k::kState)) details.Add(LoadStr(IDS_CAPTION_STATE), discovery::text::VisibleText(state->Text()));
  if (const CParam* signature = record.params.Find(k::kSignature))
    details.Add(LoadStr(IDS_CAPTION_SIGNATURE), discovery::text::VisibleText(signature->Text()));
}

bool RecordLooksInactive(const CResultNode& record) {
  // The state text is the program's own, made from the string table: an
  // add-on runs for everyone when it reads "On", "Allowed by policy" or
  // (no state for its kind) "n/a".
  const CParam* state = record.params.Find(discovery::keys::kState);
  if (!state) return false;
  const std::wstring text = state->Text();
  static const std::wstring on = LoadStr(IDS_STATE_ON), allowed = LoadStr(IDS_STATE_ALLOWED),
                            none = LoadStr(IDS_STATE_NOT_APPLICABLE);
  return !text.empty() && text != on && text != allowed && text != none;
}

}  // namespace tables
