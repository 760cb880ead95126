#pragma once
// Interface of an encoder that can take the float blocks of a conversion in place of the WAV writer.

#include "MAudioFormat.h"

#include <QObject>
#include <QString>

namespace ZADovuzIdida {

class EncoderBase : public QObject
{
    Q_OBJECT
public:
    explicit EncoderBase(QObject* parent = nullptr);

    // Negative after an error.
    virtual int status() const;
    virtual void setMetaInfoFile(const QString& file);
    virtual void setFile(const QString& file);
    virtual void setFormat(MAudioFormat format);
    virtual void setCopyMetaTags(bool copy);
    // Encodes count interleaved floats; the base only logs a negative status.
    virtual void write(float* samples, long long count);
    // Finishes the file; nothing in the base.
    virtual void close();

    QString file() const { return m_strFile; }
    QString metaInfoFile() const { return m_strMetaInfoFile; }
    MAudioFormat format() const { return m_format; }
    bool copyMetaTags() const { return m_bCopyMetaTags; }
    QString name() const { return QStringLiteral("EncoderBase"); }
    void dump() const;

signals:
    void errorsLog(const QString& line);

protected:
    QString m_strFile;
    QString m_strMetaInfoFile;
    int m_nStatus = 0;
    MAudioFormat m_format;
    bool m_bCopyMetaTags = false;
};

} // namespace ZADovuzIdida
