#pragma once
// Writes a picture as a PNG file under a temporary name and renames it only when every byte was written.

#include <QPixmap>
#include <QString>

namespace VUVararer {

class PngFile
{
public:
    // False, with the reason in *error when given, when the file could not be written whole; an earlier file
    // of that name then stays as it was.
    static bool write(const QPixmap& pixmap, const QString& path, QString* error = nullptr);
};

} // namespace VUVararer
