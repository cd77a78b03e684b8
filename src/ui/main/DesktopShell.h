#pragma once
// The desktop's shell, which runs as the user signed in to the session:
// asked to open an address or a folder, it starts the browser or the file
// manager as that user, never with this process's rights.
#include <string>

namespace desktopshell {

// True when this process's token is elevated.
bool ProcessIsElevated();

// Asks the desktop's shell to open target (its default action). False when
// there is no desktop shell to ask or it refused the request; whether the
// target then opens is the shell's business.
bool OpenAsDesktopUser(const std::wstring& target);

}  // namespace desktopshell
