#include "PngFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QSaveFile>

namespace VUVararer {

bool PngFile::write(const QPixmap& pixmap, const QString& path, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!pixmap.save(&buffer, "PNG")) {
        if (error)
            *error = QCoreApplication::translate("VUVararer::PngFile", "The picture could not be encoded.");
        return false;
    }
    // A short write (full disk, size limit) is no error of the device and a buffered one goes unnoticed even
    // by commit(), so the bytes go out unbuffered in one call and the count is checked.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = file.error() == QFileDevice::NoError
                     ? QCoreApplication::translate("VUVararer::PngFile", "Not all of the file could be written.")
                     : file.errorString();
    return false;
}

} // namespace VUVararer
