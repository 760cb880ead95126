#include <ZADovuzIdida/_VozIdavi/Input/WaveInput.h>

#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>

#include <QByteArray>

#include <cstring>
#include <sys/stat.h>

namespace ZADovuzIdida {

namespace {

quint64 even(quint64 n) { return (n + 1) & ~quint64(1); }

off_t fileLength(FILE* file)
{
    struct stat info;
    return fstat(fileno(file), &info) == 0 ? info.st_size : 0;
}

} // namespace

short WaveInput::fmt() const
{
    const short nBits = bitsPerSample();
    switch (settings().fmt()) {
    case 1:
        switch (nBits) {
        case 8:
            return 8;
        case 16:
        case 32:
            return 16;
        case 24:
            return 2048;
        default:
            return 0;
        }
    case 257:
        return 1;
    case 258:
        return 2;
    case 259:
        return 4;
    default:
        return 0;
    }
}

void WaveInput::setFmt(short value)
{
    Settings held = settings();
    held.setFmt(value);
    setSettings(held);
}

bool WaveInput::fail()
{
    close();
    return false;
}

bool WaveInput::open(const char* path)
{
    m_fileInfo.setComment(QString());
    m_fileInfo.setDataOffset(0);
    setFmt(0);
    m_pFile = fopen(path, "r");
    if (!m_pFile)
        return false;
    if (readChunk(&m_chunk, 0) != 1 || memcmp(m_chunk.id, "RIFF", 4) != 0)
        return fail();
    if (readID(m_achId) != 1 || memcmp(m_achId, "WAVE", 4) != 0)
        return fail();
    const quint64 nRiff = even(m_chunk.size);
    m_fileInfo.setFileSize(nRiff);
    qint64 nRemaining = qint64(nRiff) - 4;
    while (nRemaining >= 8) {
        if (readChunk(&m_chunk, 0) != 1)
            return fail();
        const unsigned int nSize = m_chunk.size;
        const off_t nBody = ftello(m_pFile);
        if (memcmp(m_chunk.id, "LIST", 4) == 0) {
            if (!readList(nSize))
                return fail();
        } else if (memcmp(m_chunk.id, "fmt ", 4) == 0 && settings().fmt() == 0) {
            if (!readFormat(nSize))
                return fail();
        } else if (memcmp(m_chunk.id, "data", 4) == 0 && m_fileInfo.dataOffset() == 0) {
            readData(nSize);
        } else if (memcmp(m_chunk.id, "bext", 4) == 0) {
            m_ebuInfo = MTools::Handle<EBUInfo>(new EBUInfo());
            m_ebuInfo->setChunkSize(int(nSize));
            m_ebuInfo->initFromHeader(m_pFile);
            fseeko(m_pFile, nBody + off_t(even(nSize)), SEEK_SET);
        } else if (memcmp(m_chunk.id, "levl", 4) == 0) {
            m_ebuEnvelope = MTools::Handle<EBUEnvelope>(new EBUEnvelope());
            m_ebuEnvelope->setChunkSize(int(even(nSize)));
            m_ebuEnvelope->initFromHeader(m_pFile);
            fseeko(m_pFile, nBody + off_t(even(nSize)), SEEK_SET);
        } else {
            fseeko(m_pFile, off_t(even(nSize)), SEEK_CUR);
        }
        nRemaining -= 8 + qint64(even(nSize));
    }
    if (m_fileInfo.dataOffset() == 0)
        return fail();
    m_fileInfo.setNumSamples(m_fileInfo.dataSize() / quint64(bitsPerSample() / 8));
    setFmt(fmt());
    rewind();
    return true;
}

bool WaveInput::readFormat(unsigned int size)
{
    const short nTag = short(FileUtil::readS(m_pFile, false));
    const short nChannels = short(FileUtil::readS(m_pFile, false));
    const unsigned nRate = FileUtil::readL(m_pFile, false);
    FileUtil::readL(m_pFile, false);
    FileUtil::readS(m_pFile, false);
    Settings held = settings();
    held.setFmt(nTag);
    held.setChannels(nChannels);
    held.setSampleRate(nRate);
    setSettings(held);
    if (nTag != 1)
        return false;
    const short nBits = short(FileUtil::readS(m_pFile, false));
    held.setBitsPerSample(nBits);
    setSettings(held);
    // A sample narrower than a byte or a stream without channels cannot be read.
    if (nBits < 8 || nChannels < 1)
        return false;
    const qint64 nRest = qint64(even(size)) - 16;
    if (nRest > 0)
        fseeko(m_pFile, off_t(nRest), SEEK_CUR);
    return true;
}

void WaveInput::readData(unsigned int size)
{
    const off_t nOffset = ftello(m_pFile);
    m_fileInfo.setDataOffset(quint64(nOffset));
    m_fileInfo.setDataSize(size);
    const off_t nLength = fileLength(m_pFile);
    if (nLength >= nOffset + off_t(even(size))) {
        fseeko(m_pFile, nOffset + off_t(even(size)), SEEK_SET);
    } else {
        m_fileInfo.setDataSize(quint64(nLength > nOffset ? nLength - nOffset : 0));
        fseeko(m_pFile, 0, SEEK_END);
    }
    m_fileInfo.setDataOffset(quint64(nOffset) - 8);
}

bool WaveInput::readList(unsigned int size)
{
    if (readID(m_achId) != 1)
        return false;
    if (memcmp(m_achId, "INFO", 4) != 0) {
        fseeko(m_pFile, off_t(even(size)) - 4, SEEK_CUR);
        return true;
    }
    qint64 nLeft = qint64(size) - 4;
    if (nLeft == 0)
        return true;
    Chunk sub;
    for (;;) {
        if (readChunk(&sub, 0) != 1)
            return false;
        if (memcmp(sub.id, "ICMT", 4) == 0) {
            // A size beyond the file cannot be read; refuse it before allocating.
            if (off_t(sub.size) > fileLength(m_pFile) - ftello(m_pFile))
                return false;
            QByteArray text(int(sub.size), '\0');
            if (sub.size > 0 && fread(text.data(), 1, sub.size, m_pFile) != sub.size)
                return false;
            const int nNul = text.indexOf('\0');
            m_fileInfo.setComment(QString::fromLatin1(nNul < 0 ? text : text.left(nNul)));
            if (sub.size % 2)
                fgetc(m_pFile);
        } else {
            fseeko(m_pFile, off_t(even(sub.size)), SEEK_CUR);
        }
        nLeft -= 8 + qint64(even(sub.size));
        if (nLeft == 0)
            return true;
    }
}

} // namespace ZADovuzIdida
