#include "oeenv/RunningClient.h"

#include "oeenv/OeEnvLog.h"
#include "util/Like.h"

namespace kv::RunningClient {

using namespace kv::platform;

namespace {

// Window class names were read through a 64-character buffer.
constexpr int kClassBufferChars = 64;

} // namespace

std::optional<WindowInfo> findWindow(IProcesses& processes, const WindowSearch& search)
{
    const QString classPattern = QString::fromLatin1(search.classPattern);
    const QString titlePattern =
        search.titlePattern ? QString::fromLatin1(search.titlePattern) : QString();
    for (const WindowInfo& w : processes.topLevelWindows()) {
        QString cls = w.className;
        const qsizetype nul = cls.indexOf(QChar(0));
        if (nul >= 0)
            cls.truncate(nul);
        cls.truncate(kClassBufferChars - 1);
        if (!likeMatch(cls, classPattern))
            continue;
        if (search.titlePattern && !likeMatch(w.title, titlePattern))
            continue;
        return w;
    }
    return std::nullopt;
}

bool isClientRunning(IProcesses& processes)
{
    for (const WindowSearch& s : kRunningSearches)
        if (findWindow(processes, s))
            return true;
    return false;
}

bool closeClient(IProcesses& processes, const std::function<void()>& processEvents)
{
    for (const WindowSearch& s : kCloseSearches) {
        for (int n = 0; n < kMaxClosesPerSearch; ++n) {
            const std::optional<WindowInfo> w = findWindow(processes, s);
            if (!w)
                break;
            qCInfo(lcOeEnv) << "closing" << w->className << w->title;
            if (!processes.closeWindow(w->handle))
                qCWarning(lcOeEnv) << "close request not delivered to" << w->className;
            if (processEvents)
                processEvents();
        }
    }
    return !isClientRunning(processes);
}

} // namespace kv::RunningClient
