#include "support/FakeSystem.h"

#include "platform/posix/WineSystem.h"

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
    return platform::posix::WineSystem::expand(text, m_variables);
}

} // namespace kv::test
