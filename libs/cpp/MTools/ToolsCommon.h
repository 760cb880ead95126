// Path helpers: file name without its last suffix and folder path normalisation.
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
};

} // namespace MTools
