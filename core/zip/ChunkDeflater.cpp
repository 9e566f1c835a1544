#include "zip/ChunkDeflater.h"

#include <isa-l/igzip_lib.h>

namespace kv::zip {

namespace {

constexpr qsizetype kWindow = 4096;

// Prose has a space every few letters; base64 has none, and the block headers a message file
// puts between its lines do not add any. Counted in blocks of fixed length, which the compiler
// turns into vector code: a byte-wise table lookup here cost a fifth of the deflating.
bool looksLikeBase64(const unsigned char* p, qsizetype n)
{
    constexpr qsizetype kBlock = 64;
    qsizetype spaces = 0;
    qsizetype i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        unsigned block = 0;
        for (qsizetype k = 0; k < kBlock; ++k)
            block += p[i + k] == ' ' ? 1u : 0u;
        spaces += block;
    }
    for (; i < n; ++i)
        spaces += p[i] == ' ' ? 1 : 0;
    return spaces * 100 < n * 6;
}

} // namespace

std::vector<qsizetype> ChunkDeflater::contentBoundaries(const QByteArray& in)
{
    std::vector<qsizetype> cuts;
    const auto* p = reinterpret_cast<const unsigned char*>(in.constData());
    bool previous = false;
    for (qsizetype at = 0; at < in.size(); at += kWindow) {
        const bool base64 = looksLikeBase64(p + at, std::min(kWindow, in.size() - at));
        if (at > 0 && base64 != previous)
            cuts.push_back(at);
        previous = base64;
    }
    return cuts;
}

ChunkDeflater::ChunkDeflater(int threads, int level) : m_level(level)
{
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { run(); });
}

ChunkDeflater::~ChunkDeflater()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

std::size_t ChunkDeflater::levelBufferSize(int level)
{
    switch (level) {
    case 1:
        return ISAL_DEF_LVL1_DEFAULT;
    case 2:
        return ISAL_DEF_LVL2_DEFAULT;
    case 3:
        return ISAL_DEF_LVL3_SMALL;
    default:
        return 0;
    }
}

// Mail holds its attachments as base64 text between runs of prose. A deflate block that spans
// both gets a Huffman code fitted to neither, and the library's blocks are long; so every change
// between the two ends the block with a sync flush (five bytes, the history kept). On mail this
// more than pays for the cheaper matching of level 2.
bool ChunkDeflater::deflateChunk(const QByteArray& in, bool last, int level,
                                 std::vector<unsigned char>& levelBuffer, QByteArray* out)
{
    isal_zstream s;
    isal_deflate_init(&s);
    s.level = quint32(level);
    levelBuffer.resize(levelBufferSize(level));
    s.level_buf = levelBuffer.empty() ? nullptr : levelBuffer.data();
    s.level_buf_size = quint32(levelBuffer.size());

    out->resize(in.size() + in.size() / 8 + 1024);
    qsizetype produced = 0;
    const std::vector<qsizetype> cuts =
        level > 0 ? contentBoundaries(in) : std::vector<qsizetype>();
    for (size_t k = 0; k <= cuts.size(); ++k) {
        const qsizetype from = k == 0 ? 0 : cuts[k - 1];
        const qsizetype to = k == cuts.size() ? in.size() : cuts[k];
        const bool final = k == cuts.size();
        s.flush = final ? FULL_FLUSH : SYNC_FLUSH;
        s.end_of_stream = final && last ? 1 : 0;
        s.next_in = reinterpret_cast<uint8_t*>(const_cast<char*>(in.constData())) + from;
        s.avail_in = quint32(to - from);
        for (;;) {
            s.next_out = reinterpret_cast<uint8_t*>(out->data()) + produced;
            s.avail_out = quint32(out->size() - produced);
            if (isal_deflate(&s) != COMP_OK)
                return false;
            produced = out->size() - s.avail_out;
            const bool flushed = s.avail_in == 0 && s.avail_out > 0;
            if (flushed && (!s.end_of_stream || s.internal_state.state == ZSTATE_END))
                break;
            out->resize(out->size() * 2);
        }
    }
    out->resize(produced);
    return true;
}

void ChunkDeflater::run()
{
    std::vector<unsigned char> levelBuffer(levelBufferSize(m_level));
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop)
                return;
            job = m_queue.front();
            m_queue.pop_front();
        }
        QByteArray out;
        const bool ok = deflateChunk(job->input, job->last, m_level, levelBuffer, &out);
        {
            std::lock_guard lock(m_mutex);
            job->output = std::move(out);
            job->input = QByteArray();
            job->ok = ok;
            job->done = true;
        }
        m_done.notify_all();
    }
}

void ChunkDeflater::submit(QByteArray chunk, bool last)
{
    auto job = std::make_shared<Job>();
    job->input = std::move(chunk);
    job->last = last;
    {
        std::lock_guard lock(m_mutex);
        m_order.push_back(job);
        m_queue.push_back(job);
    }
    m_wake.notify_one();
}

bool ChunkDeflater::takeNext(QByteArray* out)
{
    std::unique_lock lock(m_mutex);
    if (m_order.empty())
        return false;
    std::shared_ptr<Job> job = m_order.front();
    m_done.wait(lock, [&] { return job->done; });
    m_order.pop_front();
    *out = std::move(job->output);
    return job->ok;
}

int ChunkDeflater::pending() const
{
    std::lock_guard lock(m_mutex);
    return int(m_order.size());
}

} // namespace kv::zip
