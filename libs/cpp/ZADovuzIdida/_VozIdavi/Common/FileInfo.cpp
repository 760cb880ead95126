#include <ZADovuzIdida/_VozIdavi/Common/FileInfo.h>

#include <QDebug>

namespace ZADovuzIdida {

FileInfo::FileInfo() : m_url(QString()) {}

FileInfo& FileInfo::operator=(const FileInfo& other)
{
    if (this == &other)
        return *this;
    m_strComment = other.m_strComment;
    m_nDataOffset = other.m_nDataOffset;
    m_nNumSamples = other.m_nNumSamples;
    m_nFileSize = other.m_nFileSize;
    m_nDataSize = other.m_nDataSize;
    m_nSizeOffset = other.m_nSizeOffset;
    m_nCompression = other.m_nCompression;
    return *this;
}

void FileInfo::dump() const
{
    qDebug() << "----- File Info Begin ------";
    qDebug() << "URI Path = " << m_url;
    qDebug() << "Comment = " << m_strComment;
    qDebug() << "Data Offset = " << m_nDataOffset;
    qDebug() << "Number Of Samples = " << m_nNumSamples;
    qDebug() << "File Size = " << m_nFileSize;
    qDebug() << "Data Size = " << m_nDataSize;
    qDebug() << "Size Offset = " << m_nSizeOffset;
    qDebug() << "Compression = " << m_nCompression;
    qDebug() << "----- File Info End ------";
}

} // namespace ZADovuzIdida
