#include "TimeStamp.h"

namespace MTools {

QString createTimeStamp() { return createTimeStamp(QDateTime::currentDateTime()); }

QString createTimeStamp(const QDateTime& when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return QString::asprintf("%04d-%02d-%02d_%02d:%02d:%02d:%03d", date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second(), time.msec());
}

} // namespace MTools
