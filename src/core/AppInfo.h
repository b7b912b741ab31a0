#pragma once
#include <windows.h>

// The program's name as shown in titles, logs and file names.
inline constexpr wchar_t kAppName[] = L"Tarnwick";

// The program's icon resource (src/shell/Tarnwick.rc): the executable, the main window, the
// Settings Center and the tray icon show it.
inline constexpr int kProgramIconId = 104;

// The program's icon at SIZE x SIZE pixels from the program's own resource (the image of that size
// when the resource has one); null when the resource is missing. The caller destroys it.
HICON LoadProgramIcon(int size);
