#include "platform/posix/PosixPlatform.h"

namespace kv::platform::posix {

PosixPlatform::PosixPlatform(WinePrefix prefix, std::unique_ptr<IRegistry> registry)
    : PosixPlatform(std::move(prefix), std::move(registry), Options{})
{
}

PosixPlatform::PosixPlatform(WinePrefix prefix, std::unique_ptr<IRegistry> registry,
                             Options options)
    : m_prefix(std::move(prefix)), m_registry(std::move(registry)), m_files(m_prefix, *m_registry),
      m_system(*m_registry, options.programFolder, std::move(options.clock)),
      m_processes(m_prefix, m_files, *m_registry, std::move(options.processes))
{
}

Platform PosixPlatform::services()
{
    return Platform{*m_registry, m_files, m_system, m_processes};
}

} // namespace kv::platform::posix
