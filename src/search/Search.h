#pragma once
// Search, filters and sorting: result set, query language, searches, recent opens.
#include "search/NameSearch.h"
#include "search/QueryParser.h"
#include "search/RecentOpens.h"
#include "search/ResultSet.h"
