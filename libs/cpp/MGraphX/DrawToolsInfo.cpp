#include "DrawTools.h"

#include "PictureLimits.h"

#include <MTools/Base64.h>

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QRadialGradient>

namespace MGraphX {

namespace {

QByteArray encoded(const QImage& image, const QString& format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format.toLocal8Bit().constData(), quality);
    return bytes;
}

} // namespace

void DrawTools::drawInfo(QPainter* painter, const QPoint& pos, const QString& text, const QFont& font,
                         const QColor& colour, bool outline, float opacity)
{
    const QFontMetrics metrics(font);
    const int tw = metrics.horizontalAdvance(text);
    const int th = metrics.height();
    const int x = pos.x(), y = pos.y();

    painter->save();
    painter->setFont(font);

    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setOpacity(0.6);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->drawRoundedRect(QRect(x, y, tw + 15, th + 6), 100, 100, Qt::RelativeSize);

    painter->setOpacity(qreal(opacity));
    QRadialGradient gradient(QPointF(x + 2, y + 2), tw + 12, QPointF(x + 2, y + 2));
    gradient.setColorAt(0.0, Qt::white);
    gradient.setColorAt(1.0, colour);
    painter->setPen(outline ? QPen(Qt::white) : QPen(Qt::NoPen));
    painter->setBrush(gradient);
    painter->drawRoundedRect(QRect(x, y, tw + 12, th + 3), 100, 100, Qt::RelativeSize);

    painter->setPen(Qt::white);
    painter->drawText(QRect(QPoint(x, y), QPoint(x + tw + 11, y + th + 2)), Qt::AlignCenter, text);
    painter->restore();
}

QString DrawTools::imageToBase64(const QImage& image, const QString& format, const int& quality)
{
    return QStringLiteral("data:image/") + format.toLower() + QStringLiteral(";base64,") +
           MTools::Base64::codeQByteArray(encoded(image, format, quality));
}

QImage DrawTools::imageFromBase64(const QString& text)
{
    const QString typeMark = QStringLiteral(":image/");
    const QString dataMark = QStringLiteral(";base64,");
    const int type = text.indexOf(typeMark);
    if (type < 0)
        return QImage();
    const int formatStart = type + typeMark.size();
    const int data = text.indexOf(dataMark, formatStart);
    if (data < 0)
        return QImage();
    const QString format = text.mid(formatStart, data - formatStart);
    const QByteArray bytes = MTools::Base64::decodeQByteArray(text.mid(data + dataMark.size()));
    const qint64 nPixels = PictureLimits::announcedPixels(bytes, format);
    if (nPixels < 0 || nPixels > PictureLimits::MaxFramePixels)
        return QImage();
    return QImage::fromData(bytes, format.toLatin1().constData());
}

QImage DrawTools::realPreview(const QImage& image, const QString& format, const int& quality)
{
    return QImage::fromData(encoded(image, format, quality), format.toLocal8Bit().constData());
}

} // namespace MGraphX
