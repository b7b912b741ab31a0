#pragma once
// Content-scan threads and the plain file scan.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "content/ContentMatch.h"

// Files up to this size are mapped whole; larger ones are streamed in chunks.
inline constexpr uint64_t kContentMapLimit = 52428800;    // 50 MiB
inline constexpr uint64_t kContentChunkSize = 4194304;    // 4 MiB
inline constexpr uint64_t kContentMaxOverlap = 1048576;   // 1 MiB
// Files up to this size are read whole into a buffer of the scan thread instead of mapped.
inline constexpr uint64_t kContentReadWholeLimit = 1048576;  // 1 MiB

// True when for at least one AND-group every term occurs in the file in one of its byte forms.
bool SearchPlainFile(const std::wstring& path, const std::vector<EncodedTermGroup>& groups, uint64_t generation);

// The rules of MatchTermGroupsInBytes over a mapped view; a read fault inside the view is no match.
bool MatchMappedBytes(const char* view, size_t size, const std::vector<EncodedTermGroup>& groups, uint64_t generation);

// ZIP documents (Office Open XML / OpenDocument): the entries whose normalised names match one of
// the patterns are extracted one at a time and their text matched. A damaged, encrypted or
// unsupported entry is skipped; an archive that cannot be read is no match.
bool SearchZipDocument(const std::wstring& path, const std::vector<EncodedTermGroup>& groups, uint64_t generation,
                       const std::vector<std::string>& patterns, const TermGroups& queryGroups);
// '*' matches any run of characters where at least one character is left; otherwise bytes compare
// exactly.
bool WildcardMatch(const char* name, const char* pattern);

// The scanner of ZIP documents (SearchZipDocument unless replaced).
using ZipDocumentScanner = bool (*)(const std::wstring& path, const std::vector<EncodedTermGroup>& groups,
                                    uint64_t generation, const std::vector<std::string>& zipPatterns,
                                    const TermGroups& termGroups);
void SetZipDocumentScanner(ZipDocumentScanner scanner);
ZipDocumentScanner GetZipDocumentScanner();
// True when the extension (lower case, with dot) marks a ZIP document for this search.
bool IsZipDocumentExtension(const std::wstring& ext, const std::vector<std::wstring>& zipExts);

// Number of scan threads for `candidates` candidates (setting, processors, at most 64).
uint32_t ChooseContentThreadCount(int setting, uint32_t processors, uint64_t candidates);
