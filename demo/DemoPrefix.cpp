#include "DemoPrefix.h"

#include "EnvBuilder.h"

#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"

#include <QStandardPaths>

namespace kv::demo {

using platform::posix::WinePrefix;

QString demoPrefixFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Korvane/demo-prefix");
}

bool ensureDemoPrefix(const QString& folder, QString* error, bool* created)
{
    if (created)
        *created = false;
    if (WinePrefix(folder).looksValid())
        return true;
    QString why;
    if (!EnvBuilder::prepareRegistryFiles(folder, QStringLiteral("win64"), &why)) {
        if (error)
            *error = why;
        return false;
    }
    platform::posix::WineRegistry registry{WinePrefix(folder)};
    registry.setWriteThrough(false);
    EnvBuilder builder(registry, folder, EnvBuilder::Options());
    if (!builder.build(&why)) {
        if (error)
            *error = QStringLiteral("cannot make the demo environment: ") + why;
        return false;
    }
    if (created)
        *created = true;
    return true;
}

} // namespace kv::demo
