#pragma once
// The duplicate finder: candidate files of a drive grouped by size, sampled hash or full hash,
// with a per-file hash cache and a group cache per drive. The shell's duplicate mode drives it.
#include "duplicates/DupEngine.h"
#include "duplicates/DupHash.h"
#include "duplicates/DupTypes.h"
#include "duplicates/DupView.h"
