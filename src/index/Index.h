#pragma once
// Volume index: the per-drive name indexes, the engine that owns them, their builds, journal
// monitors and the drive watcher.
#include "index/VolumeIndex.h"
#include "index/AttrCache.h"
#include "index/FileSizes.h"
#include "index/MftScan.h"
