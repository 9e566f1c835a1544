#include "platform/posix/PosixPlatform.h"

#include "platform/posix/WineRegistry.h"

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

std::unique_ptr<PosixPlatform> PosixPlatform::forPrefix(const QString& folder, Options options)
{
    WinePrefix prefix(folder);
    auto registry = std::make_unique<WineRegistry>(prefix);
    return std::make_unique<PosixPlatform>(std::move(prefix), std::move(registry),
                                           std::move(options));
}

Platform PosixPlatform::services()
{
    return Platform{*m_registry, m_files, m_system, m_processes};
}

} // namespace kv::platform::posix
