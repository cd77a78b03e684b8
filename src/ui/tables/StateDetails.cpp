#include "ui/tables/StateDetails.h"

#include "StringIds.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/text/VisibleText.h"

namespace tables {

void AddStateDetails(const CResultNode& record, CParams& details) {
  namespace k = discovery::keys;
  if (const CParam* state = record.params.Find(k::kState)) details.Add(LoadStr(IDS_CAPTION_STATE), discovery::text::VisibleText(state->Text()));
  if (const CParam* signature = record.params.Find(k::kSignature))
    details.Add(LoadStr(IDS_CAPTION_SIGNATURE), discovery::text::VisibleText(signature->Text()));
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
