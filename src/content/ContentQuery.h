#pragma once
// What a content search scans for, and how a scan knows that its search is still the current
// one. The search layer parses queries into these types and owns the searches; the scan below
// it only tests the generation counter.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// OR-list of AND-groups. An empty list matches every name.
using TermGroups = std::vector<std::vector<std::wstring>>;

// A parsed "s:" query.
struct ContentQuery {
    bool isContent = false;
    TermGroups termGroups;            // terms as typed (case kept)
    std::vector<std::wstring> exts;   // lower case, leading '.'
};

// Staleness counter of searches, sorts and content-search cancels; only grows.
extern std::atomic<uint64_t> g_searchGeneration;

// True while `generation` is the current search generation and the program is not stopping.
bool IsContentSearchCurrent(uint64_t generation);
