#include "ProgramIcon.h"

namespace kv::gui {

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/korvane-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/korvane-64.png"), QSize(64, 64));
    return icon;
}

QString programVersionText()
{
#ifndef KV_VERSION_BUILD
#define KV_VERSION_BUILD KV_VERSION_PATCH
#endif
#ifndef KV_VERSION_REVISION
#define KV_VERSION_REVISION 0
#endif
    return QStringLiteral("%1.%2 rev %3.%4")
        .arg(KV_VERSION_MAJOR)
        .arg(KV_VERSION_MINOR)
        .arg(KV_VERSION_BUILD)
        .arg(KV_VERSION_REVISION);
}

} // namespace kv::gui
