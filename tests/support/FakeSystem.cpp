#include "support/FakeSystem.h"

namespace kv::test {

void FakeSystem::setVariable(const QString& name, const QString& value)
{
    m_variables.insert(name.toUpper(), value);
}

QString FakeSystem::environmentVariable(const QString& name)
{
    return m_variables.value(name.toUpper());
}

QString FakeSystem::expandEnvironmentStrings(const QString& text)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'%', i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'%', open + 1);
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, open - i);
        const QString name = text.mid(open + 1, close - open - 1);
        auto it = m_variables.constFind(name.toUpper());
        if (it != m_variables.constEnd()) {
            out += it.value();
            i = close + 1;
        } else {
            out += text.mid(open, close - open); // unknown: kept, its closing "%" rescanned
            i = close;
        }
    }
    return out;
}

} // namespace kv::test
