#include "TimeInfo.h"

namespace MTools {

namespace {

QTime makeTime(qint64 hours, qint64 minutes, qint64 seconds)
{
    if (hours < 0 || hours > 23)
        return QTime();
    return QTime(int(hours), int(minutes), int(seconds), 0);
}

} // namespace

QTime TimeInfo::msecsToTime(qint64 ms)
{
    const qint64 hours = ms / 3600000;
    const qint64 minutes = (ms - hours * 3600000) / 60000;
    const qint64 seconds = (ms % 60000) / 1000;
    return makeTime(hours, minutes, seconds);
}

QTime TimeInfo::usecsToTime(qint64 us)
{
    const qint64 hours = us / 3600000000LL;
    const qint64 minutes = (us % 3600000000LL) / 60000000;
    const qint64 seconds = (us % 60000000) / 1000000;
    return makeTime(hours, minutes, seconds);
}

} // namespace MTools
