// Writes a mail-store-like corpus for the zip benchmark: message folder files of plain-text
// messages, about half of their bytes base64 attachments, the largest file about 40% of the
// total. Deterministic: the same size gives the same bytes.
//
//   zip_bench_corpus OUTDIR [TOTAL_MB]
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

class Writer
{
public:
    explicit Writer(quint32 seed) : m_rng(seed)
    {
        // A vocabulary of made-up words with a Zipf-like use, as prose has.
        static const char* const syllables[] = {"ka", "lo", "men", "ti", "ra", "son", "be", "dor",
            "fi", "ne", "gar", "pu", "sel", "to", "wi", "an", "er", "is", "ul", "ve"};
        for (int i = 0; i < 6000; ++i) {
            QByteArray w;
            const int n = 1 + int(m_rng.bounded(3));
            for (int k = 0; k < n; ++k)
                w += syllables[m_rng.bounded(20)];
            m_words.push_back(w);
        }
        double total = 0;
        for (int i = 0; i < 6000; ++i) {
            total += 1.0 / (i + 1);
            m_cumulative.push_back(total);
        }
        for (double& c : m_cumulative)
            c /= total;
    }

    const QByteArray& word()
    {
        const double u = m_rng.generateDouble();
        const auto it = std::lower_bound(m_cumulative.begin(), m_cumulative.end(), u);
        return m_words[size_t(std::min<qsizetype>(it - m_cumulative.begin(), 5999))];
    }

    void text(QByteArray& out, int bytes)
    {
        int line = 0;
        const qsizetype end = out.size() + bytes;
        while (out.size() < end) {
            const QByteArray& w = word();
            out += w;
            line += int(w.size()) + 1;
            if (line > 70) {
                out += m_rng.bounded(8) == 0 ? ".\r\n\r\n" : "\r\n";
                line = 0;
            } else {
                out += ' ';
            }
        }
    }

    void base64(QByteArray& out, int bytes)
    {
        QByteArray raw(bytes * 3 / 4, Qt::Uninitialized);
        for (qsizetype i = 0; i < raw.size(); i += 4) {
            const quint32 v = m_rng.generate();
            for (int k = 0; k < 4 && i + k < raw.size(); ++k)
                raw[i + k] = char(v >> (8 * k));
        }
        const QByteArray b64 = raw.toBase64();
        for (qsizetype i = 0; i < b64.size(); i += 76) {
            out += b64.mid(i, 76);
            out += "\r\n";
        }
    }

    void message(QByteArray& out, int number)
    {
        out += "From: ";
        out += word();
        out += "@example.com\r\nTo: ";
        out += word();
        out += "@example.org\r\nSubject: ";
        text(out, 30);
        out += "Date: Mon, 3 Apr 2000 10:";
        out += QByteArray::number(number % 60);
        out += ":00 +0100\r\nMessage-ID: <";
        out += QByteArray::number(number);
        out += ".";
        out += QByteArray::number(m_rng.generate());
        out += "@example.com>\r\nMIME-Version: 1.0\r\n\r\n";
        text(out, 800 + int(m_rng.bounded(6000)));
        if (m_rng.bounded(100) < 12) {
            out += "\r\n--b\r\nContent-Transfer-Encoding: base64\r\n\r\n";
            base64(out, 8000 + int(m_rng.bounded(60000)));
        }
        out += "\r\n";
    }

private:
    QRandomGenerator m_rng;
    std::vector<QByteArray> m_words;
    std::vector<double> m_cumulative;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: zip_bench_corpus OUTDIR [TOTAL_MB]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const double totalMb = argc > 2 ? std::atof(argv[2]) : 450.0;
    // Shares of the total per folder file: one large folder, a few middling ones, small ones.
    const std::vector<std::pair<const char*, double>> folders = {
        {"Inbox.dbx", 0.40}, {"Sent Items.dbx", 0.16}, {"Archive 1999.dbx", 0.12},
        {"Projects.dbx", 0.09}, {"Family.dbx", 0.07}, {"Deleted Items.dbx", 0.05},
        {"Newsletters.dbx", 0.04}, {"Drafts.dbx", 0.025}, {"Receipts.dbx", 0.02},
        {"Travel.dbx", 0.015}, {"Outbox.dbx", 0.005}, {"Folders.dbx", 0.005},
        {"pop3uidl.dbx", 0.005}};
    QDir().mkpath(out);
    Writer w(20000403);
    int number = 0;
    for (const auto& [name, share] : folders) {
        QFile f(out + QLatin1Char('/') + QString::fromLatin1(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
        const qint64 target = qint64(share * totalMb * 1024 * 1024);
        qint64 written = 0;
        QByteArray block;
        while (written < target) {
            block.clear();
            while (block.size() < (1 << 20))
                w.message(block, ++number);
            const qint64 n = std::min<qint64>(block.size(), target - written);
            if (f.write(block.constData(), n) != n)
                return 1;
            written += n;
        }
    }
    std::printf("%d messages in %zu folder files under %s\n", number, folders.size(), qPrintable(out));
    return 0;
}
