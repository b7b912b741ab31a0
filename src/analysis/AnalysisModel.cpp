#include "analysis/AnalysisModel.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

constexpr uint64_t kNtfsRootRecord = 5;
constexpr size_t kMaxPathNames = 512;
constexpr uint64_t kRemovedNode = 0xFFFFFFF0u;   // beyond every node index

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Start and length of the extension inside a name (length 0 for none).
void FindExtension(const wchar_t* name, size_t length, size_t& start, size_t& extLength) {
    start = 0;
    extLength = 0;
    if (!name || length == 0) return;
    size_t dot = SIZE_MAX;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == L'\\' || name[i] == L'/') dot = SIZE_MAX;
        else if (name[i] == L'.') dot = i;
    }
    if (dot == SIZE_MAX || dot + 1 >= length) return;
    start = dot;
    extLength = length - dot;
}

}  // namespace

std::wstring AnalysisExtensionOf(const wchar_t* name, size_t length) {
    size_t start = 0, n = 0;
    FindExtension(name, length, start, n);
    std::wstring ext(n, L'\0');
    for (size_t i = 0; i < n; ++i) ext[i] = LowerAscii(name[start + i]);
    return ext;
}

COLORREF ExtensionColor(const wchar_t* name, size_t length) {
    const std::wstring ext = AnalysisExtensionOf(name, length);
    uint32_t h = 2166136261u;
    for (wchar_t c : ext) {
        h ^= static_cast<uint16_t>(c);
        h *= 16777619u;
    }
    return RGB(60 + (h & 127), 60 + ((h >> 8) & 127), 60 + ((h >> 16) & 127));
}

std::wstring FormatSizeShort(int64_t bytes) {
    if (bytes < 0) bytes = 0;
    const double b = static_cast<double>(bytes);
    wchar_t buf[64];
    if (bytes >= (int64_t(1) << 40)) std::swprintf(buf, 64, L"%.2f TB", b / 1099511627776.0);
    else if (bytes >= (int64_t(1) << 30)) std::swprintf(buf, 64, L"%.2f GB", b / 1073741824.0);
    else if (bytes >= (int64_t(1) << 20)) std::swprintf(buf, 64, L"%.2f MB", b / 1048576.0);
    else if (bytes >= 1024) std::swprintf(buf, 64, L"%.2f KB", b / 1024.0);
    else std::swprintf(buf, 64, L"%lld B", static_cast<long long>(bytes));
    return buf;
}

DiskAnalysisModel::~DiskAnalysisModel() = default;

void DiskAnalysisModel::Clear() {
    driveLetter = 0;
    rootFrn = kNtfsRootRecord;
    fileCount = folderCount = 0;
    filesAskedByPath = 0;
    nodes.clear();
    frnToNode.clear();
    {
        std::lock_guard<std::mutex> lock(childListsMutex_);
        childLists.clear();
    }
    extensions.clear();
    names_.clear();
    sharedFiles_.clear();
    otherIdentities_.clear();
}

void DiskAnalysisModel::Register(uint64_t frn, uint32_t index) { frnToNode.Insert(frn, index); }

uint64_t DiskAnalysisModel::FileIdentity(uint32_t index) const {
    auto it = otherIdentities_.find(index);
    if (it != otherIdentities_.end()) return it->second;
    return index < nodes.size() ? nodes[index].frn : 0;
}

int64_t DiskAnalysisModel::FindNode(uint64_t frn) const {
    auto it = frnToNode.find(frn);
    if (it == frnToNode.end()) it = frnToNode.find(AnalysisRecordNumber(frn));
    if (it == frnToNode.end() || it->second >= nodes.size()) return -1;
    return it->second;
}

bool DiskAnalysisModel::Build(const AnalysisIndexEntry* entries, size_t count, const MftSizeMap& sizes,
                              wchar_t letter, const AnalysisFileQuery& query, uint64_t tableRecords) {
    Clear();
    if (!entries || count == 0) return false;
    driveLetter = letter;
    nodes.reserve(count + 2);
    frnToNode.reserve(count + 2);

    // Files whose full reference the sizes do not know; they are looked up by record number
    // after the loop (the first key met for a number gives its sizes).
    std::vector<uint32_t> missed;

    auto usable = [](const AnalysisIndexEntry& e) {
        if (e.skip) return false;
        const bool named = e.name && e.nameLength > 0;
        return named || (e.isFolder && AnalysisRecordNumber(e.frn) == kNtfsRootRecord);
    };
    size_t textLength = 0;
    for (size_t i = 0; i < count; ++i)
        if (usable(entries[i]) && entries[i].name) textLength += entries[i].nameLength;
    names_.reserve(textLength + 1);
    std::vector<size_t> nameStart;
    nameStart.reserve(count);

    for (size_t i = 0; i < count; ++i) {
        const AnalysisIndexEntry& e = entries[i];
        if (!usable(e)) continue;
        AnalysisNode n;
        n.frn = e.frn;
        n.parentFrn = e.parentFrn;
        n.isFolder = e.isFolder ? 1 : 0;
        nameStart.push_back(names_.size());
        if (e.name && e.nameLength) {
            names_.insert(names_.end(), e.name, e.name + e.nameLength);
            n.nameLength = e.nameLength;
        }
        if (!n.isFolder) {
            auto it = sizes.find(e.frn);
            if (it != sizes.end()) {
                n.size = it->second.size;
                n.allocated = it->second.allocated;
            } else {
                missed.push_back(static_cast<uint32_t>(nodes.size()));
            }
            n.totalSize = n.size;
            n.totalAllocated = n.allocated;
            ++fileCount;
        } else {
            ++folderCount;
        }
        nodes.push_back(std::move(n));
        Register(e.frn, static_cast<uint32_t>(nodes.size() - 1));
    }
    if (nodes.empty()) {
        Clear();
        return false;
    }
    // Files the sizes know under neither key and that are no record of the file table: asked.
    std::vector<uint32_t> unsized;
    if (!missed.empty()) {
        // One pass over the sizes for just the record numbers of those files.
        FrnMap wanted;   // record number -> index into found
        std::vector<std::pair<bool, SizePair>> found(missed.size());
        wanted.reserve(missed.size());
        for (uint32_t i : missed) {
            const uint64_t rec = AnalysisRecordNumber(nodes[i].frn);
            if (!wanted.count(rec)) wanted.Insert(rec, wanted.size());
        }
        for (const auto& [key, pair] : sizes) {
            auto w = wanted.find(AnalysisRecordNumber(key));
            if (w == wanted.end() || found[static_cast<size_t>(w->second)].first) continue;
            found[static_cast<size_t>(w->second)] = {true, pair};
        }
        for (uint32_t i : missed) {
            const auto& [known, pair] = found[static_cast<size_t>(wanted.find(AnalysisRecordNumber(nodes[i].frn))->second)];
            if (!known) {
                // A record of the table without sizes is an empty file: it keeps its 0.
                if (tableRecords == 0 || AnalysisRecordNumber(nodes[i].frn) >= tableRecords) unsized.push_back(i);
                continue;
            }
            AnalysisNode& n = nodes[i];
            n.size = n.totalSize = pair.size;
            n.allocated = n.totalAllocated = pair.allocated;
        }
    }
    // Names point into the storage, which no longer grows.
    for (size_t i = 0; i < nodes.size(); ++i)
        nodes[i].name = nodes[i].nameLength ? names_.data() + nameStart[i] : L"";

    // The root: a folder of record 5, else a synthesised one when nothing holds FRN 5.
    int64_t root = -1;
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].isFolder && AnalysisRecordNumber(nodes[i].frn) == kNtfsRootRecord) {
            root = static_cast<int64_t>(i);
            break;
        }
    if (root < 0 && !frnToNode.count(kNtfsRootRecord)) {
        AnalysisNode r;
        r.frn = r.parentFrn = kNtfsRootRecord;
        r.isFolder = 1;
        nodes.push_back(std::move(r));
        root = static_cast<int64_t>(nodes.size() - 1);
        Register(kNtfsRootRecord, static_cast<uint32_t>(root));
        ++folderCount;
    }

    for (size_t i = 0; i < nodes.size(); ++i) {
        if (AnalysisRecordNumber(nodes[i].frn) == kNtfsRootRecord) continue;
        const int64_t parent = FindNode(nodes[i].parentFrn);
        if (parent >= 0) {
            if (static_cast<size_t>(parent) != i) nodes[parent].children.push_back(static_cast<uint32_t>(i));
        } else if (root >= 0) {
            nodes[root].children.push_back(static_cast<uint32_t>(i));
        }
    }
    if (root < 0) {
        size_t best = 0;
        bool found = false;
        for (size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].isFolder && (!found || nodes[i].children.size() >= nodes[best].children.size())) {
                best = i;
                found = true;
            }
        root = found ? static_cast<int64_t>(best) : 0;
    }
    rootFrn = nodes[root].frn;
    // The tree is linked: paths can be made.
    if (query && !unsized.empty()) AskUnsizedFiles(unsized, sizes, query);

    for (AnalysisNode& n : nodes)
        if (n.isFolder) n.totalSize = n.totalAllocated = -1;
    ComputeTotals(static_cast<uint32_t>(root));
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].isFolder && nodes[i].totalSize < 0) ComputeTotals(static_cast<uint32_t>(i));

    BuildChildLists();
    BuildExtensionStats();
    return true;
}

void DiskAnalysisModel::ComputeTotals(uint32_t start) {
    if (start >= nodes.size() || !nodes[start].isFolder || nodes[start].totalSize >= 0) return;
    // Post-order walk with an explicit stack: (folder, next child position).
    std::vector<std::pair<uint32_t, size_t>> stack;
    nodes[start].totalSize = nodes[start].totalAllocated = 0;
    stack.emplace_back(start, 0);
    while (!stack.empty()) {
        auto& [folder, pos] = stack.back();
        AnalysisNode& f = nodes[folder];
        if (pos >= f.children.size()) {
            const uint32_t done = folder;
            stack.pop_back();
            if (!stack.empty()) {
                AnalysisNode& parent = nodes[stack.back().first];
                parent.totalSize += nodes[done].totalSize;
                parent.totalAllocated += nodes[done].totalAllocated;
            }
            continue;
        }
        const uint32_t child = f.children[pos++];
        if (child >= nodes.size()) continue;
        AnalysisNode& c = nodes[child];
        if (c.isFolder && c.totalSize < 0) {
            c.totalSize = c.totalAllocated = 0;
            stack.emplace_back(child, 0);  // f and the reference above are not used after this
            continue;
        }
        // A file, or a folder already summed (or in progress through a cycle).
        f.totalSize += c.totalSize;
        f.totalAllocated += c.totalAllocated;
    }
}

void DiskAnalysisModel::AskUnsizedFiles(const std::vector<uint32_t>& unsized, const MftSizeMap& sizes,
                                        const AnalysisFileQuery& query) {
    for (uint32_t i : unsized) {
        AnalysisFileFacts facts;
        ++filesAskedByPath;
        if (!query(FullPathOf(i), facts) || facts.isFolder) continue;
        AnalysisNode& n = nodes[i];
        const uint64_t identity = facts.reference ? facts.reference : n.frn;
        if (identity != n.frn) otherIdentities_[i] = identity;
        // The sizes the table gave the file, when it knows the file under that reference.
        auto it = sizes.find(identity);
        n.size = n.totalSize = it != sizes.end() ? it->second.size : facts.size;
        n.allocated = n.totalAllocated = it != sizes.end() ? it->second.allocated : facts.allocated;
        const uint64_t file = AnalysisRecordNumber(identity);
        if (file == AnalysisRecordNumber(n.frn)) continue;  // the name's own file
        // A further name of a file (a hard link): grouped with the file's other names.
        std::vector<uint32_t>& names = sharedFiles_[file];
        if (names.empty()) {
            const int64_t first = FindNode(identity);
            if (first >= 0 && static_cast<uint32_t>(first) != i && !nodes[first].isFolder &&
                AnalysisRecordNumber(nodes[first].frn) == file)
                names.push_back(static_cast<uint32_t>(first));
        }
        names.push_back(i);
    }
    // The first name of each file carries its data; the others show its size and count nothing.
    for (auto it = sharedFiles_.begin(); it != sharedFiles_.end();) {
        if (it->second.size() < 2) {
            it = sharedFiles_.erase(it);
            continue;
        }
        for (size_t k = 1; k < it->second.size(); ++k) {
            AnalysisNode& n = nodes[it->second[k]];
            n.carriesData = 0;
            n.totalSize = n.totalAllocated = 0;
        }
        ++it;
    }
}

void DiskAnalysisModel::AddToFolders(uint64_t at, int64_t size, int64_t allocated) {
    for (size_t step = 0; step < kMaxPathNames && at != 0; ++step) {
        const int64_t i = FindNode(at);
        if (i < 0) break;
        AnalysisNode& up = nodes[i];
        up.totalSize = std::max<int64_t>(up.totalSize + size, 0);
        up.totalAllocated = std::max<int64_t>(up.totalAllocated + allocated, 0);
        if (IsRoot(up.frn) || up.parentFrn == up.frn || up.parentFrn == at) break;
        at = up.parentFrn;
    }
}

ChildEntry DiskAnalysisModel::EntryOf(uint32_t index) const {
    const AnalysisNode& n = nodes[index];
    ChildEntry e;
    e.nodeIndex = index;
    e.frn = n.frn;
    e.isFolder = n.isFolder;
    e.name = n.name ? n.name : L"";
    e.nameLength = n.nameLength;
    e.totalSize = n.totalSize;
    e.totalAllocated = n.totalAllocated;
    e.size = n.isFolder ? n.totalSize : n.size;
    return e;
}

void DiskAnalysisModel::BuildChildLists() {
    // The lists are made per folder when first asked for, from the totals of that moment.
    std::lock_guard<std::mutex> lock(childListsMutex_);
    childLists.clear();
}

const std::vector<ChildEntry>* DiskAnalysisModel::ListOf(uint32_t p) const {
    if (p >= nodes.size() || nodes[p].children.empty()) return nullptr;
    std::lock_guard<std::mutex> lock(childListsMutex_);
    auto found = childLists.find(p);
    if (found != childLists.end()) return &found->second;
    const AnalysisNode& parent = nodes[p];
    std::vector<ChildEntry> list;
    list.reserve(parent.children.size());
    const double denom = static_cast<double>(std::max<int64_t>(parent.totalSize, 1));
    for (uint32_t ci : parent.children) {
        if (ci >= nodes.size()) continue;
        ChildEntry e = EntryOf(ci);
        e.share = static_cast<double>(e.totalSize) * 100.0 / denom;
        list.push_back(e);
    }
    // By the size the rows show (a further name of a file shows the file's size).
    std::sort(list.begin(), list.end(), [](const ChildEntry& a, const ChildEntry& b) {
        if (a.isFolder != b.isFolder) return a.isFolder > b.isFolder;
        if (a.size != b.size) return a.size > b.size;
        return a.nameLength < b.nameLength;
    });
    return &childLists.emplace(p, std::move(list)).first->second;
}

void DiskAnalysisModel::BuildExtensionStats() {
    std::unordered_map<std::wstring, ExtStat> byExt;
    for (const AnalysisNode& n : nodes) {
        if (n.isFolder) continue;
        if (n.nameLength == 0 && n.size == 0) continue;
        std::wstring ext = AnalysisExtensionOf(n.name, n.nameLength);
        auto [it, added] = byExt.try_emplace(ext);
        ExtStat& s = it->second;
        if (added) {
            s.extension = ext;
            s.color = ExtensionColor(n.name, n.nameLength);
        }
        // The bytes counted under this name: a file with several names counts once.
        s.totalSize += n.totalSize;
        s.totalAllocated += n.totalAllocated;
        s.fileCount += 1;
    }
    std::vector<ExtStat> table;
    table.reserve(byExt.size());
    for (auto& [ext, s] : byExt) table.push_back(std::move(s));
    std::sort(table.begin(), table.end(), [](const ExtStat& a, const ExtStat& b) { return a.totalSize > b.totalSize; });
    extensions = std::move(table);
}

int64_t DiskAnalysisModel::RootTotalSize() const {
    auto it = frnToNode.find(rootFrn);
    if (it == frnToNode.end() || it->second >= nodes.size()) return 0;
    return nodes[it->second].totalSize;
}

bool DiskAnalysisModel::GetNodeInfo(uint64_t frn, ChildEntry& out) const {
    const int64_t i = FindNode(frn);
    if (i < 0) return false;
    out = EntryOf(static_cast<uint32_t>(i));
    return true;
}

bool DiskAnalysisModel::GetParentFrn(uint64_t frn, uint64_t& out) const {
    const int64_t i = FindNode(frn);
    if (i < 0) return false;
    out = nodes[i].parentFrn;
    return true;
}

bool DiskAnalysisModel::IsRoot(uint64_t frn) const {
    return AnalysisRecordNumber(frn) == AnalysisRecordNumber(rootFrn);
}

std::vector<std::wstring> DiskAnalysisModel::ComponentsOf(int64_t i) const {
    std::vector<std::wstring> parts;
    while (i >= 0) {
        const AnalysisNode& n = nodes[i];
        if (IsRoot(n.frn)) break;
        parts.emplace_back(n.name, n.nameLength);
        if (n.parentFrn == n.frn || parts.size() >= kMaxPathNames) break;
        i = FindNode(n.parentFrn);
    }
    std::reverse(parts.begin(), parts.end());
    return parts;
}

std::vector<std::wstring> DiskAnalysisModel::GetPathComponents(uint64_t frn) const { return ComponentsOf(FindNode(frn)); }

std::wstring DiskAnalysisModel::FullPathOf(int64_t i) const {
    std::wstring path(1, driveLetter ? driveLetter : L'?');
    path += L":\\";
    const std::vector<std::wstring> parts = ComponentsOf(i);
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) path += L'\\';
        path += parts[k];
    }
    return path;
}

std::wstring DiskAnalysisModel::GetFullPath(uint64_t frn) const { return FullPathOf(FindNode(frn)); }

const std::vector<ChildEntry>* DiskAnalysisModel::ChildrenOf(uint64_t folderFrn) const {
    // A folder's list is found the way its node is: full reference first, then record number.
    const int64_t i = FindNode(folderFrn);
    return i < 0 ? nullptr : ListOf(static_cast<uint32_t>(i));
}

bool DiskAnalysisModel::RemoveFileNode(uint64_t frn, bool dataStays) {
    const int64_t found = FindNode(frn);
    if (found < 0) return false;
    const uint32_t index = static_cast<uint32_t>(found);
    AnalysisNode& node = nodes[index];
    if (node.isFolder) return false;
    const uint64_t parentFrn = node.parentFrn;
    const int64_t parent = FindNode(parentFrn);
    if (parent >= 0) {
        auto& kids = nodes[parent].children;
        kids.erase(std::remove(kids.begin(), kids.end(), index), kids.end());
    }
    // The other names of the file, if it has more than one in the model.
    std::vector<uint32_t> others;
    auto shared = sharedFiles_.find(AnalysisRecordNumber(FileIdentity(index)));
    if (shared != sharedFiles_.end() &&
        std::find(shared->second.begin(), shared->second.end(), index) != shared->second.end()) {
        for (uint32_t k : shared->second)
            if (k != index) others.push_back(k);
        if (others.size() < 2)
            sharedFiles_.erase(shared);
        else
            shared->second = others;
    }
    if (!dataStays) {
        AddToFolders(parentFrn, -node.totalSize, -node.totalAllocated);
    } else if (node.carriesData && !others.empty()) {
        // The data stays under the file's other name: that name's folders count it now.
        AnalysisNode& heir = nodes[others.front()];
        AddToFolders(parentFrn, -node.totalSize, -node.totalAllocated);
        heir.carriesData = 1;
        heir.totalSize = heir.size;
        heir.totalAllocated = heir.allocated;
        AddToFolders(heir.parentFrn, heir.totalSize, heir.totalAllocated);
    }
    const uint64_t removedFrn = node.frn;
    node.name = L"";
    node.nameLength = 0;
    node.size = node.allocated = node.totalSize = node.totalAllocated = 0;
    node.children.clear();
    frnToNode.Insert(removedFrn, kRemovedNode);   // neither its reference nor its number finds it now
    if (fileCount > 0) --fileCount;
    return true;
}
