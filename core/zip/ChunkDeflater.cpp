#include "zip/ChunkDeflater.h"

#include <isa-l/igzip_lib.h>

namespace kv::zip {

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

bool ChunkDeflater::deflateChunk(const QByteArray& in, bool last, int level,
                                 std::vector<unsigned char>& levelBuffer, QByteArray* out)
{
    isal_zstream s;
    isal_deflate_init(&s);
    s.level = quint32(level);
    levelBuffer.resize(levelBufferSize(level));
    s.level_buf = levelBuffer.empty() ? nullptr : levelBuffer.data();
    s.level_buf_size = quint32(levelBuffer.size());
    s.flush = FULL_FLUSH;
    s.end_of_stream = last ? 1 : 0;
    s.next_in = reinterpret_cast<uint8_t*>(const_cast<char*>(in.constData()));
    s.avail_in = quint32(in.size());

    out->resize(in.size() + in.size() / 8 + 1024);
    qsizetype produced = 0;
    for (;;) {
        s.next_out = reinterpret_cast<uint8_t*>(out->data()) + produced;
        s.avail_out = quint32(out->size() - produced);
        if (isal_deflate(&s) != COMP_OK)
            return false;
        produced = out->size() - s.avail_out;
        const bool flushed = s.avail_in == 0 && s.avail_out > 0;
        if (flushed && (!last || s.internal_state.state == ZSTATE_END))
            break;
        out->resize(out->size() * 2);
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
