#pragma once
// The listing routine of each add-on kind: a fresh list of the kind's
// records, or nothing when the routine itself failed (logged). Files named by
// the entries are resolved through files, whose answers outlive the listing. Platform-free
// declarations; each routine lives with its kind's discovery code.
#include <optional>

#include "ozcore/CParams.h"

class FileResolver;

namespace discovery {

std::optional<CResultNodes> EnumToolbars(FileResolver& files);
std::optional<CResultNodes> EnumToolbarButtons(FileResolver& files);
std::optional<CResultNodes> EnumContextMenus(FileResolver& files);
std::optional<CResultNodes> EnumObjects(FileResolver& files);
std::optional<CResultNodes> EnumBHOs(FileResolver& files);
std::optional<CResultNodes> EnumUrlSearchHooks(FileResolver& files);
std::optional<CResultNodes> EnumActiveXControls(FileResolver& files);
// Protocol handlers and filters without the system's own; the second also
// lists those, marked "system".
std::optional<CResultNodes> EnumProtocols(FileResolver& files);
std::optional<CResultNodes> EnumAllProtocols(FileResolver& files);
std::optional<CResultNodes> EnumSearchProviders(FileResolver& files);

}  // namespace discovery
