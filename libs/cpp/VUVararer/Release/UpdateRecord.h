#pragma once
// The update-information record a server publishes, and whether it offers an update to this build.

#include <QDate>
#include <QString>

namespace MRelease {

struct UpdateRecord
{
    bool m_bPresent = false;    // the text carries the "build:" marker
    bool m_bHasVersion = false; // a "build" entry was seen
    QString m_strVersion;       // its value, at most sm_nMaxVersionLength characters
    QDate m_releaseDate;        // "date" entry; null or invalid when missing or malformed
    bool m_bSystemQualifies = false;
    bool m_bAvailable = false; // qualifies and released after the build date

    static const int sm_nMaxVersionLength = 64;
};

// Parses "build:V;date:yyyy-MM-dd;macos:10_09;..." (blanks, tabs and line breaks ignored). systemVersion is
// compared as text with "macos" values containing "_"; "macos:all" always qualifies.
UpdateRecord parseUpdateRecord(const QString& text, const QString& systemVersion, const QDate& buildDate);

} // namespace MRelease
