#pragma once
// Search, filters and sorting: result set, query language, searches, recent opens, filter
// categories, size and date filters, filtered results, selection, filter bar and sorting.
#include "search/NameSearch.h"
#include "search/QueryParser.h"
#include "search/RecentOpens.h"
#include "search/ResultSet.h"
#include "search/Filters.h"
