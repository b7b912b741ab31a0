#pragma once
// Content terms in their byte forms and the matching of term groups against bytes and text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentQuery.h"

// One AND-group of content terms in three byte forms, one entry per term.
struct EncodedTermGroup {
    std::vector<std::string> utf8Terms;
    std::vector<std::string> ansiTerms;
    std::vector<std::wstring> utf16Terms;
};

std::string WideToUtf8(const std::wstring& s);
std::string WideToAnsi(const std::wstring& s);

// One EncodedTermGroup per AND-group, in order.
std::vector<EncodedTermGroup> EncodeTermGroups(const TermGroups& groups);

// True when `needle` (not empty) occurs in `hay` at any byte offset. Allocates nothing.
bool ContainsBytes(std::string_view hay, std::string_view needle);

// True while `generation` is the current search generation and the program is not stopping.
bool IsContentSearchCurrent(uint64_t generation);

bool MatchTermGroupsInBytes(const char* begin, const char* end, size_t size,
                            const std::vector<EncodedTermGroup>& groups, uint64_t generation);
bool MatchQueryInUtf8Text(const char* begin, const char* end, const std::vector<EncodedTermGroup>& groups,
                          uint64_t generation);
std::wstring StripInvisibleChars(const std::wstring& s);
bool MatchTermGroupsInWideText(const std::wstring& text, const TermGroups& groups, uint64_t generation);
bool MatchTermGroupsInUtf8AsWide(const char* begin, const char* end, const TermGroups& groups,
                                 uint64_t generation);
