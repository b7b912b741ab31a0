#pragma once
// A volume's build fed as an NTFS enumeration feeds it: 64 KiB buffers of USN_RECORD_V2 entries
// queued to the build's parser thread (for the benchmarks, which make the buffers beforehand).
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "index/Index.h"

// A batch of `bytes` (the 8-byte next reference, then the entries) in a 64 KiB buffer.
inline UsnBatch* MakeUsnBatch(const std::vector<uint8_t>& bytes) {
    auto* batch = new UsnBatch;
    batch->data.resize(0x10000);
    std::memcpy(batch->data.data(), bytes.data(), bytes.size());
    batch->bytesReturned = static_cast<uint32_t>(bytes.size());
    return batch;
}

// Parses the batches (which it consumes) into `v` on the build's parser thread, then builds the
// reference map, holding v's index lock exclusively as a build does.
inline void BuildFromBatches(VolumeIndex& v, const std::vector<UsnBatch*>& batches) {
    AcquireSRWLockExclusive(&v.indexLock);
    {
        UsnBuildQueue q;
        q.volume = &v;
        std::thread consumer(UsnRecordWorkerThread, &q);
        for (UsnBatch* batch : batches) {
            {
                std::lock_guard<std::mutex> lock(q.mutex);
                q.queue.push_back(batch);
            }
            q.cv.notify_one();
        }
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            q.stop = true;
        }
        q.cv.notify_one();
        consumer.join();
    }
    v.BuildReferenceMap();
    ReleaseSRWLockExclusive(&v.indexLock);
}
