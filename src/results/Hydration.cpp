// Requests to fill attributes, thumbnails and own icons of the visible rows on background tasks.
// The tasks themselves are not wired in yet: requests are accepted and ignored, and the painter
// shows what the caches already hold.
#include "results/Results.h"

std::atomic<uint64_t> g_hydrationGeneration{0};
std::atomic<bool> g_attrHydrationBusy{false};
std::atomic<uint64_t> g_prewarmGeneration{0};
std::atomic<bool> g_prewarmBusy{false};
std::atomic<uint64_t> g_thumbHydrationGeneration{0};
std::atomic<bool> g_thumbHydrationBusy{false};
std::atomic<uint64_t> g_ownIconHydrationGeneration{0};
std::atomic<bool> g_ownIconHydrationBusy{false};

void RequestVisibleAttrHydrationAsync() {}
void RequestResultAttrPrewarmAsync() {}
void RequestVisibleThumbnailHydrationAsync() {}
void RequestVisibleOwnIconHydrationAsync() {}
