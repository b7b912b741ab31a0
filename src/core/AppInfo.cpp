#include "core/AppInfo.h"

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON, size, size, 0));
}
