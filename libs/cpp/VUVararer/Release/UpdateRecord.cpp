#include "UpdateRecord.h"

#include <QDebug>
#include <QStringList>

namespace MRelease {

UpdateRecord parseUpdateRecord(const QString& text, const QString& systemVersion, const QDate& buildDate)
{
    UpdateRecord record;
    if (!text.contains(QStringLiteral("build:")))
        return record;
    record.m_bPresent = true;

    QString strText = text;
    strText.remove(QLatin1Char('\n')).remove(QLatin1Char('\t')).remove(QLatin1Char('\r')).remove(QLatin1Char(' '));
    const QStringList lstEntries = strText.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& strEntry : lstEntries) {
        const QStringList lstParts = strEntry.split(QLatin1Char(':'));
        qDebug() << lstParts;
        if (lstParts.size() < 2)
            continue;
        const QString& strKey = lstParts.first();
        const QString& strValue = lstParts.last();
        if (strKey == QLatin1String("build")) {
            record.m_strVersion = strValue.left(UpdateRecord::sm_nMaxVersionLength);
            record.m_bHasVersion = true;
        } else if (strKey == QLatin1String("date")) {
            record.m_releaseDate = QDate::fromString(strValue, QStringLiteral("yyyy-MM-dd"));
        } else if (strKey == QLatin1String("macos")) {
            if ((strValue.contains(QLatin1Char('_')) && !(systemVersion < strValue)) ||
                strValue == QLatin1String("all"))
                record.m_bSystemQualifies = true;
        }
    }
    record.m_bAvailable = record.m_bSystemQualifies && record.m_releaseDate.isValid() && buildDate.isValid() &&
                          buildDate < record.m_releaseDate;
    return record;
}

} // namespace MRelease
