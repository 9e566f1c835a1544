#include "msgstore/FileView.h"

namespace kv::msgstore {

namespace {
// A file the system will not map is read into memory instead, up to this size.
constexpr qint64 kMaxCopy = qint64(512) * 1024 * 1024;
} // namespace

FileView::~FileView() { close(); }

bool FileView::open(const QString& hostPath, QString* error)
{
    close();
    m_file.setFileName(hostPath);
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1: %2").arg(hostPath, m_file.errorString());
        return false;
    }
    const qint64 size = m_file.size();
    if (size > 0) {
        m_data = m_file.map(0, size);
        if (!m_data) {
            if (size > kMaxCopy) {
                *error = QStringLiteral("cannot map %1: %2").arg(hostPath, m_file.errorString());
                m_file.close();
                return false;
            }
            m_copy = m_file.readAll();
            if (m_copy.size() != size) {
                *error = QStringLiteral("cannot read %1: %2").arg(hostPath, m_file.errorString());
                m_copy.clear();
                m_file.close();
                return false;
            }
            m_data = reinterpret_cast<const uchar*>(m_copy.constData());
        }
    }
    m_size = quint64(size);
    m_open = true;
    return true;
}

void FileView::close()
{
    if (m_data && m_copy.isEmpty())
        m_file.unmap(const_cast<uchar*>(m_data));
    m_data = nullptr;
    m_copy.clear();
    m_size = 0;
    m_open = false;
    m_file.close();
}

bool FileView::u8(quint64 offset, quint32* value) const
{
    const uchar* p = at(offset, 1);
    if (!p)
        return false;
    *value = p[0];
    return true;
}

bool FileView::u16(quint64 offset, quint32* value) const
{
    const uchar* p = at(offset, 2);
    if (!p)
        return false;
    *value = le16(p);
    return true;
}

bool FileView::u32(quint64 offset, quint32* value) const
{
    const uchar* p = at(offset, 4);
    if (!p)
        return false;
    *value = le32(p);
    return true;
}

} // namespace kv::msgstore
