#pragma once
// Where the process loads libraries from.

namespace orvh {

// The libraries loaded from now on, the delay-loaded Windows Installer and shell included,
// come from the system folder only, never from the program's own folder, which is the
// update set's Corrente. Windows 7 without its 2011 loader update lacks the call; there the
// search stays as it was.
void LoadLibrariesFromSystemFolderOnly();

} // namespace orvh
