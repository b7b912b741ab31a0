#pragma once

// The program's name as shown in titles, logs and file names.
inline constexpr wchar_t kAppName[] = L"Tarnwick";
