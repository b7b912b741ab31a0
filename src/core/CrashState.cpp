// State of the crash reporter that the rest of the program reads (kept apart from the reporter
// itself, which links the debugging libraries).
#include "core/Crash.h"

std::atomic<bool> g_crashInProgress{false};
