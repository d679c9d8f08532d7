// OLE, its pictures and the shell are loaded at their first use, not at start:
// the window shows sooner, and a session that never captures never loads them.
#pragma once

namespace scrimble::win32 {

// Initialises OLE on the calling (user-interface) thread at the first call; it
// stays initialised until the program ends. Pictures and the shell's folder
// browser need it.
void EnsureOleInitialized();

}  // namespace scrimble::win32
