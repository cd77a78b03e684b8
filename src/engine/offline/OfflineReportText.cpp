#include "engine/offline/OfflineReportText.h"

#include "core/Strings.h"
#include "engine/text/VisibleText.h"
#include "ozcore/FormatText.h"

namespace engine {

namespace {

using discovery::text::VisibleText;
using Text = std::function<std::wstring(unsigned id)>;

unsigned RefusalText(engine::HiveRefusal refusal) {
  switch (refusal) {
    case engine::HiveRefusal::NotAHive: return IDS_HIVE_REFUSED_NOT_HIVE;
    case engine::HiveRefusal::NotAPrimaryFile: return IDS_HIVE_REFUSED_NOT_PRIMARY;
    case engine::HiveRefusal::UnsupportedVersion: return IDS_HIVE_REFUSED_VERSION;
    case engine::HiveRefusal::NoRootKey: return IDS_HIVE_REFUSED_NO_ROOT;
    default: return IDS_HIVE_REFUSED_READ;
  }
}

unsigned StopText(engine::HiveLogStop stop) {
  switch (stop) {
    case engine::HiveLogStop::Torn: return IDS_HIVE_STOP_TORN;
    case engine::HiveLogStop::BadEntry: return IDS_HIVE_STOP_BAD_ENTRY;
    case engine::HiveLogStop::HashMismatch: return IDS_HIVE_STOP_HASH;
    case engine::HiveLogStop::SequenceGap: return IDS_HIVE_STOP_GAP;
    case engine::HiveLogStop::TooManyPages: return IDS_HIVE_STOP_PAGES;
    default: return IDS_HIVE_STOP_END;
  }
}

unsigned OutcomeText(engine::HiveLogOutcome outcome) {
  switch (outcome) {
    case engine::HiveLogOutcome::NoneApplied: return IDS_HIVE_LOG_NONE_APPLIED;
    case engine::HiveLogOutcome::NotALog: return IDS_HIVE_LOG_NOT_A_LOG;
    case engine::HiveLogOutcome::OldFormat: return IDS_HIVE_LOG_OLD_FORMAT;
    case engine::HiveLogOutcome::NotValid: return IDS_HIVE_LOG_NOT_VALID;
    case engine::HiveLogOutcome::NotChosen: return IDS_HIVE_LOG_NOT_CHOSEN;
    default: return IDS_HIVE_LOG_MISSING;
  }
}

// The dirty hive's line, then one line per log.
void AddDirty(const engine::OfflineHive& hive, const Text& text, std::vector<std::wstring>& lines) {
  const std::wstring file = VisibleText(hive.file);
  lines.push_back(formattext::Format(text(IDS_OFFLINE_HIVE_DIRTY), {VisibleText(hive.name), file}));
  const wchar_t* const suffixes[] = {L".LOG1", L".LOG2"};
  for (int i = 0; i < 2; ++i) {
    const engine::HiveLogReport& log = hive.recovery.logs[i];
    const std::wstring logFile = file + suffixes[i];
    if (log.outcome == engine::HiveLogOutcome::Applied) {
      lines.push_back(formattext::Format(text(IDS_OFFLINE_LOG_APPLIED),
                                         {logFile, std::to_wstring(log.entriesApplied),
                                          std::to_wstring(log.lastSequence), text(StopText(log.stop))}));
    } else {
      lines.push_back(formattext::Format(text(IDS_OFFLINE_LOG_NOT_APPLIED), {logFile, text(OutcomeText(log.outcome))}));
    }
  }
}

}  // namespace

std::vector<std::wstring> OfflineReportLines(const engine::OfflineReport& report, const Text& text) {
  std::vector<std::wstring> lines;
  for (const auto& hive : report.hives) {
    const std::wstring name = VisibleText(hive.name), file = VisibleText(hive.file);
    switch (hive.state) {
      case engine::OfflineHiveState::Missing:
        lines.push_back(formattext::Format(text(IDS_OFFLINE_HIVE_MISSING), {name, file}));
        break;
      case engine::OfflineHiveState::Refused:
        lines.push_back(formattext::Format(text(IDS_OFFLINE_HIVE_REFUSED), {name, file, text(RefusalText(hive.refusal))}));
        break;
      case engine::OfflineHiveState::NameTaken:
        lines.push_back(formattext::Format(text(IDS_OFFLINE_NAME_TAKEN), {name, file}));
        break;
      case engine::OfflineHiveState::Opened:
        if (hive.dirty) AddDirty(hive, text, lines);
        break;
    }
  }
  for (const auto& profile : report.profilesOutside)
    lines.push_back(formattext::Format(text(IDS_OFFLINE_PROFILE_OUTSIDE),
                                       {VisibleText(profile.sid), VisibleText(profile.path)}));
  return lines;
}

}  // namespace engine
