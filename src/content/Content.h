#pragma once
// Content search: settings, term encoding and matching, scan threads and the plain file scan.
#include "content/ContentMatch.h"
#include "content/ContentScan.h"
#include "content/ContentSettings.h"
