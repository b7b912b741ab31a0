#include <cstdio>
#include <cstdlib>

#include "core/Logs.h"
#include "duplicates/DupHash.h"
#include "duplicates/DupTypes.h"

namespace {

constexpr size_t kMaxLineBytes = 0x100000;

bool StartsWith(const std::string& s, const char* prefix, size_t n) { return s.compare(0, n, prefix) == 0; }

}  // namespace

std::string DupWideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), out.data(), n, nullptr, nullptr);
    return out;
}

bool DupUtf8ToWide(const std::string& text, std::wstring* out) {
    out->clear();
    if (text.empty()) return true;
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
    if (n <= 0) return false;
    out->resize((size_t)n);
    MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), out->data(), n);
    return true;
}

bool TrimLineInPlace(std::string& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return !line.empty();
}

bool IsDupHexDigest(const std::wstring& text) {
    if (text.size() != 64) return false;
    for (wchar_t c : text) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

bool DupLineReader::Next(std::string* line) {
    line->clear();
    if (failed_) return false;
    char piece[4096];
    for (;;) {
        if (!fgets(piece, sizeof piece, file_)) {
            if (ferror(file_) || !line->empty()) failed_ = true;  // a read error, or a cut last line
            return false;
        }
        line->append(piece);
        if (line->size() > kMaxLineBytes + 2) {  // room for CR LF
            failed_ = true;
            return false;
        }
        if (!line->empty() && line->back() == '\n') {
            TrimLineInPlace(*line);
            return true;
        }
    }
}

bool DupWriteFileAtomically(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        AppendPerfMetric(L"dup cache write open failed err=" + std::to_wstring(GetLastError()) + L" path=" + temp);
        return false;
    }
    size_t written = 0;
    bool ok = true;
    while (ok && written < bytes.size()) {
        DWORD chunk = (DWORD)std::min<size_t>(bytes.size() - written, 1u << 24);
        DWORD got = 0;
        ok = WriteFile(h, bytes.data() + written, chunk, &got, nullptr) && got == chunk;
        written += got;
    }
    DWORD err = ok ? 0 : GetLastError();
    if (ok && !FlushFileBuffers(h)) {
        ok = false;
        err = GetLastError();
    }
    CloseHandle(h);
    if (ok && !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        err = GetLastError();
    }
    if (!ok) {
        AppendPerfMetric(L"dup cache write failed err=" + std::to_wstring(err) + L" path=" + path);
        DeleteFileW(temp.c_str());
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------

bool DupFileHashStore::Load(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    map_.clear();
    dirty_ = false;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    DupLineReader reader(f);
    std::unordered_map<std::wstring, DupFileHashEntry> loaded;
    std::wstring recordPath;
    DupFileHashEntry record;
    bool open = false;
    auto commit = [&] {
        if (open && !recordPath.empty()) loaded[recordPath] = record;
        recordPath.clear();
        record = DupFileHashEntry{};
        open = false;
    };
    auto hashField = [](const std::string& text, std::wstring* out) {
        return DupUtf8ToWide(text, out) && (out->empty() || IsDupHexDigest(*out));
    };
    std::string line;
    bool good = reader.Next(&line) && line == "DUPHASH1";
    while (good) {
        if (!reader.NextBodyLine(&line)) {
            good = !reader.failed();
            break;
        }
        if (line == "---") {
            commit();
        } else if (StartsWith(line, "path=", 5)) {
            commit();
            open = DupUtf8ToWide(line.substr(5), &recordPath);
            good = open;
        } else if (!open) {
            continue;
        } else if (StartsWith(line, "size=", 5)) {
            record.size = strtoll(line.c_str() + 5, nullptr, 10);
        } else if (StartsWith(line, "mtime=", 6)) {
            record.mtime = strtoull(line.c_str() + 6, nullptr, 10);
        } else if (StartsWith(line, "quick=", 6)) {
            good = hashField(line.substr(6), &record.quick);
        } else if (StartsWith(line, "full=", 5)) {
            good = hashField(line.substr(5), &record.full);
        }
    }
    fclose(f);
    if (!good) return false;  // a damaged cache is not trusted at all; its files are hashed anew
    commit();
    map_ = std::move(loaded);
    return true;
}

bool DupFileHashStore::Save(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!dirty_) return true;
    std::string out = "DUPHASH1\n";
    char number[64];
    for (const auto& [file, e] : map_) {
        out += "path=" + DupWideToUtf8(file) + "\n";
        snprintf(number, sizeof number, "size=%lld\nmtime=%llu\n", (long long)e.size, (unsigned long long)e.mtime);
        out += number;
        out += "quick=" + DupWideToUtf8(e.quick) + "\nfull=" + DupWideToUtf8(e.full) + "\n---\n";
    }
    if (!DupWriteFileAtomically(path, out)) return false;
    dirty_ = false;
    return true;
}

void DupFileHashStore::PutQuick(const std::wstring& path, int64_t size, uint64_t mtime, const std::wstring& quick) {
    std::lock_guard<std::mutex> lock(mutex_);
    DupFileHashEntry& e = map_[path];
    if (e.size != size || e.mtime != mtime) e.full.clear();
    e.size = size;
    e.mtime = mtime;
    e.quick = quick;
    dirty_ = true;
}

void DupFileHashStore::PutFull(const std::wstring& path, int64_t size, uint64_t mtime, const std::wstring& full) {
    std::lock_guard<std::mutex> lock(mutex_);
    DupFileHashEntry& e = map_[path];
    if (e.size != size || e.mtime != mtime) e.quick.clear();
    e.size = size;
    e.mtime = mtime;
    e.full = full;
    dirty_ = true;
}

bool DupFileHashStore::FindQuick(const std::wstring& path, int64_t size, uint64_t mtime, std::wstring* quick) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = map_.find(path);
    if (it == map_.end() || it->second.size != size || it->second.mtime != mtime || it->second.quick.empty())
        return false;
    *quick = it->second.quick;
    return true;
}

bool DupFileHashStore::FindFull(const std::wstring& path, int64_t size, uint64_t mtime, std::wstring* full) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = map_.find(path);
    if (it == map_.end() || it->second.size != size || it->second.mtime != mtime || it->second.full.empty())
        return false;
    *full = it->second.full;
    return true;
}

bool DupFileHashStore::dirty() {
    std::lock_guard<std::mutex> lock(mutex_);
    return dirty_;
}

size_t DupFileHashStore::size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return map_.size();
}

namespace {

// The time of a candidate for the cache: the listed one, else asked of the file system. False
// when the file no longer has the listed size (it changed since it was listed) or the query
// ran out of time or was cancelled.
bool ResolveTime(const std::wstring& path, int64_t size, uint64_t* mtime, const std::atomic<bool>* cancel) {
    if (*mtime == 0) {
        DupFileStat st = DupQueryFileStat(path);
        if (st.valid) {
            if (st.size != size) return false;
            *mtime = st.mtime;
        }
    }
    return !tls_hashTimedOut && !(cancel && cancel->load());
}

}  // namespace

std::wstring DupGetQuickHashCached(const std::wstring& path, int64_t size, uint64_t mtime,
                                   const std::atomic<bool>* cancel, DupFileHashStore* store, uint32_t timeoutMs) {
    tls_hashTimedOut = false;
    tls_hashDeadline = GetTickCount64() + timeoutMs;
    if (!ResolveTime(path, size, &mtime, cancel)) return {};
    std::wstring hash;
    if (store && mtime && store->FindQuick(path, size, mtime, &hash)) return hash;
    hash = DupComputeQuickHash(path, size, cancel, timeoutMs);
    if (!hash.empty() && store && mtime) {
        store->PutQuick(path, size, mtime, hash);
        if (size <= kDupSmallFileLimit) store->PutFull(path, size, mtime, hash);
    }
    return hash;
}

std::wstring DupGetFullHashCached(const std::wstring& path, int64_t size, uint64_t mtime,
                                  const std::atomic<bool>* cancel, DupFileHashStore* store, uint32_t timeoutMs) {
    tls_hashTimedOut = false;
    tls_hashDeadline = GetTickCount64() + timeoutMs;
    if (!ResolveTime(path, size, &mtime, cancel)) return {};
    std::wstring hash;
    if (store && mtime && store->FindFull(path, size, mtime, &hash)) return hash;
    hash = DupComputeFullHash(path, cancel, timeoutMs, size);
    if (!hash.empty() && store && mtime) store->PutFull(path, size, mtime, hash);
    return hash;
}
