#pragma once
// Core services: configuration folder and paths, text helpers, named background tasks,
// posting to the main window, logs, the crash reporter and working-set trimming.
// Every other part of the program includes this header only.
#include "core/AppInfo.h"
#include "core/Paths.h"
#include "core/TextLines.h"
#include "core/Window.h"
#include "core/Tasks.h"
#include "core/Logs.h"
#include "core/Crash.h"
#include "core/Trim.h"
