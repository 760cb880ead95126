#pragma once
// One frame of a frame animation: its picture, name, storage format, duration and background mark.

#include <QImage>
#include <QString>

namespace MGraphX {

class XaniImageData
{
public:
    QImage image() const { return m_img; }
    void setImage(const QImage& image) { m_img = image; }
    QString name() const { return m_strName; }
    void setName(const QString& name) { m_strName = name; }
    // Picture format the frame is stored in, "PNG" by default.
    QString format() const { return m_strFormat; }
    void setFormat(const QString& format) { m_strFormat = format; }
    int duration() const { return m_nDuration; }
    void setDuration(int duration) { m_nDuration = duration; }
    bool isBackground() const { return m_bBackground; }
    void setBackground(bool background) { m_bBackground = background; }
    // Position and length of the stored picture in a file; -1 when unknown.
    qint64 start() const { return m_nStart; }
    void setStart(const qint64& start) { m_nStart = start; }
    qint64 size() const { return m_nSize; }
    void setSize(const qint64& size) { m_nSize = size; }

    // The name up to its first ".".
    QString baseName() const { return m_strName.section(QLatin1Char('.'), 0, 0); }

private:
    QImage m_img;
    QString m_strName;
    QString m_strFormat = QStringLiteral("PNG");
    int m_nDuration = -1;
    bool m_bBackground = false;
    qint64 m_nStart = -1;
    qint64 m_nSize = -1;
};

} // namespace MGraphX
