#include "PictureLimits.h"

#include <QBuffer>
#include <QImageReader>

namespace MGraphX {

qint64 PictureLimits::announcedPixels(const QByteArray& picture, const QString& format)
{
    QBuffer buffer;
    buffer.setData(picture);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer, format.toLatin1()).size();
    return size.isValid() ? qint64(size.width()) * size.height() : -1;
}

} // namespace MGraphX
