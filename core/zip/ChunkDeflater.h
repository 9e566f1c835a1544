#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kv::zip {

// Compresses the chunks of one entry on every core and hands them back in order. Each chunk is
// deflated on its own and ends with a full flush (the last one with the end of the stream), so
// the chunks joined together are one standard deflate stream. Inside a chunk, blocks end where
// base64 text begins or ends.
class ChunkDeflater
{
public:
    // threads 0: one per core. level: the ISA-L level (0 to 3).
    explicit ChunkDeflater(int threads = 0, int level = kDefaultLevel);
    // Level 2 with blocks cut at the base64 runs is smaller on mail than level 3 without, in
    // half the time.
    static constexpr int kDefaultLevel = 2;
    ~ChunkDeflater();
    ChunkDeflater(const ChunkDeflater&) = delete;
    ChunkDeflater& operator=(const ChunkDeflater&) = delete;

    void submit(QByteArray chunk, bool last);
    // Waits for the oldest chunk submitted and not yet taken; false when the library failed.
    bool takeNext(QByteArray* out);
    int pending() const;
    // How many chunks may be in flight before the caller should take some.
    int window() const { return int(m_threads.size()) * 2 + 1; }

    // One chunk, on the calling thread; exposed for the tests.
    static bool deflateChunk(const QByteArray& in, bool last, int level,
                             std::vector<unsigned char>& levelBuffer, QByteArray* out);
    static std::size_t levelBufferSize(int level);
    // Where base64 runs begin and end in a chunk, at 4 KiB steps: the offsets of the blocks
    // after the first.
    static std::vector<qsizetype> contentBoundaries(const QByteArray& in);

private:
    struct Job
    {
        QByteArray input;
        QByteArray output;
        bool last = false;
        bool done = false;
        bool ok = false;
    };
    void run();

    int m_level;
    std::vector<std::thread> m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<std::shared_ptr<Job>> m_order; // submitted, not yet taken
    std::deque<std::shared_ptr<Job>> m_queue; // waiting for a thread
    bool m_stop = false;
};

} // namespace kv::zip
