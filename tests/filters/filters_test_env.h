#pragma once
// The configuration folder the filters tests use instead of the user's.
#include <string>

std::wstring FiltersTestConfigDir();
