#pragma once
// The library's date-and-time stamp text, "YYYY-MM-DD_hh:mm:ss:zzz" in local time.

#include <QDateTime>
#include <QString>

namespace MTools {

// The current local date and time with milliseconds, 23 characters.
QString createTimeStamp();
// The stamp text of the given date and time.
QString createTimeStamp(const QDateTime& when);

} // namespace MTools
