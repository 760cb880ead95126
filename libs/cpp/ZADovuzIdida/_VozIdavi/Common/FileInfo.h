// Facts a reader or writer keeps about one audio file: url, comment, data position and sizes.
#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>

namespace ZADovuzIdida {

class FileInfo
{
public:
    FileInfo();
    FileInfo(const FileInfo& other) = default;
    // Copies the comment and the counts; the url keeps its value (readers set it with setURL).
    FileInfo& operator=(const FileInfo& other);
    virtual ~FileInfo() = default;

    const QUrl& url() const { return m_url; }
    const QString& comment() const { return m_strComment; }
    // Writer: offset of the data chunk's size field; readers: offset of the data chunk's header.
    quint64 dataOffset() const { return m_nDataOffset; }
    quint64 numSamples() const { return m_nNumSamples; }
    // Writer: bytes from "WAVE" to the end of the data chunk header.
    quint64 fileSize() const { return m_nFileSize; }
    quint64 dataSize() const { return m_nDataSize; }
    quint64 sizeOffset() const { return m_nSizeOffset; }
    quint64 compression() const { return m_nCompression; }

    void setURL(const QUrl& url) { m_url = url; }
    void setComment(const QString& comment) { m_strComment = comment; }
    void setDataOffset(quint64 value) { m_nDataOffset = value; }
    void setNumSamples(quint64 value) { m_nNumSamples = value; }
    void setFileSize(quint64 value) { m_nFileSize = value; }
    void setDataSize(quint64 value) { m_nDataSize = value; }
    void setSizeOffset(quint64 value) { m_nSizeOffset = value; }
    void setCompression(quint64 value) { m_nCompression = value; }

    void dump() const;

private:
    QUrl m_url;
    QString m_strComment;
    quint64 m_nDataOffset = 0;
    quint64 m_nNumSamples = 0;
    quint64 m_nFileSize = 0;
    quint64 m_nDataSize = 0;
    quint64 m_nSizeOffset = 0;
    quint64 m_nCompression = 0;
};

} // namespace ZADovuzIdida
