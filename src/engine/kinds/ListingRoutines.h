#pragma once
// The listing routine of each add-on kind: the kind's entries on the
// machine the sources describe, in listing order. Each routine lives with
// its kind's discovery code. Platform-free.
#include <vector>

#include "engine/kinds/AddonEntry.h"

namespace discovery {

using Entries = std::vector<engine::AddonEntry>;

Entries ListToolbars(engine::MachineSources& machine);
Entries ListToolbarButtons(engine::MachineSources& machine);
Entries ListMenuExtensions(engine::MachineSources& machine);
Entries ListExplorerBars(engine::MachineSources& machine);
Entries ListHelperObjects(engine::MachineSources& machine);
Entries ListUrlSearchHooks(engine::MachineSources& machine);
Entries ListActiveXControls(engine::MachineSources& machine);
// Protocol handlers and filters without the system's own; the second also
// lists those, marked "system".
Entries ListProtocols(engine::MachineSources& machine);
Entries ListAllProtocols(engine::MachineSources& machine);
Entries ListSearchProviders(engine::MachineSources& machine);

}  // namespace discovery
