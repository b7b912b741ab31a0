#pragma once
// Content search: settings, term encoding and matching, scan threads, the plain file scan and
// the scan of ZIP documents.
#include "content/ContentMatch.h"
#include "content/ContentScan.h"
#include "content/ContentSettings.h"
#include "content/ExtensionPicking.h"
