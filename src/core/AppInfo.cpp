#include "core/AppInfo.h"
