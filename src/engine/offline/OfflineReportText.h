#pragma once
// What an offline listing tells about the hives it read, as the lines
// qmscan writes to standard error: each dirty hive and what became of its
// logs, each hive missing or refused, each profile off the image's drive.
// A clean hive that opened says nothing. Platform-free.
#include <functional>
#include <string>
#include <vector>

#include "engine/offline/OfflineMachine.h"

namespace engine {

std::vector<std::wstring> OfflineReportLines(const engine::OfflineReport& report,
                                             const std::function<std::wstring(unsigned id)>& text);

}  // namespace engine
