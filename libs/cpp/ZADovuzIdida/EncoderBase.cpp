#include "EncoderBase.h"

#include <QDebug>

namespace ZADovuzIdida {

EncoderBase::EncoderBase(QObject* parent) : QObject(parent) {}

int EncoderBase::status() const { return m_nStatus; }

void EncoderBase::setMetaInfoFile(const QString& file) { m_strMetaInfoFile = file; }

void EncoderBase::setFile(const QString& file) { m_strFile = file; }

void EncoderBase::setFormat(MAudioFormat format) { m_format = format; }

void EncoderBase::setCopyMetaTags(bool copy) { m_bCopyMetaTags = copy; }

void EncoderBase::write(float* samples, long long count)
{
    Q_UNUSED(samples)
    Q_UNUSED(count)
    if (m_nStatus < 0)
        qDebug() << "Error Status:" << m_nStatus;
}

void EncoderBase::close() {}

void EncoderBase::dump() const
{
    qDebug() << "---------- Begin EncoderBase ----------";
    qDebug() << "file =" << m_strFile;
    qDebug() << "meta info file =" << m_strMetaInfoFile;
    qDebug() << "status =" << m_nStatus;
    qDebug() << "format =" << m_format.codec << m_format.sampleRate << m_format.channels << m_format.bitsPerSample
             << m_format.bitRate << m_format.quality;
    qDebug() << "copy meta tags =" << m_bCopyMetaTags;
    qDebug() << "---------- End EncoderBase ----------";
}

} // namespace ZADovuzIdida
