#include "audio/cdiolog.h"

#include <QLoggingCategory>

#include <cdio/logging.h>

#include <mutex>

namespace verselet {

namespace {

Q_LOGGING_CATEGORY(lcCdio, "verselet.cdio", QtWarningMsg)

void logToQt(cdio_log_level_t level, const char message[])
{
    switch (level) {
    case CDIO_LOG_DEBUG:
    case CDIO_LOG_INFO:
        qCDebug(lcCdio, "%s", message);
        break;
    case CDIO_LOG_WARN:
        qCWarning(lcCdio, "%s", message);
        break;
    case CDIO_LOG_ERROR:
    case CDIO_LOG_ASSERT:
        qCCritical(lcCdio, "%s", message);
        break;
    }
}

} // namespace

void InstallCdioLogHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        cdio_log_set_handler(logToQt);
        cdio_loglevel_default = CDIO_LOG_WARN;
    });
}

} // namespace verselet
