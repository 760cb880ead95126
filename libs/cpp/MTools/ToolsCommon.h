// Path helpers: file name without its last suffix, folder path normalisation and whole-file saving.
#pragma once

#include <QFileInfo>
#include <QString>

namespace MTools {

class ToolsCommon
{
public:
    // File name up to its last "."; the whole name when it has none.
    static QString baseName(const QFileInfo& info);
    // Drops "/./" and doubled "/" (one pass each) and one trailing "/"; touches no file.
    static QString normalizePath(const QString& strPath);
    // Writes data to a temporary file beside strFileName and renames it over the file; an existing device or
    // pipe is written in place. False when the data could not be written completely; an earlier file then
    // stays as it was.
    static bool saveFile(const QString& strFileName, const QByteArray& data);
};

} // namespace MTools
