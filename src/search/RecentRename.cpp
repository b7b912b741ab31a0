// The recent-opens list follows the result list's inline rename.
#include "search/RecentOpens.h"

// The row whose name is being edited in place; owned and set by the result list.
extern MatchItem g_renameItem;

void UpdateRecentPath(const std::wstring& oldPath, const std::wstring& newPath) {
    UpdateRecentPathForItem(g_renameItem, oldPath, newPath);
}
