#include <ZADovuzIdida/_VozIdavi/Input/WaveInput.h>

#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace ZADovuzIdida {

namespace {

quint64 even(quint64 n) { return (n + 1) & ~quint64(1); }

// Longer comments are skipped rather than held in memory.
constexpr unsigned MaxComment = 1u << 20;

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
    const off_t nLength = fileLength(m_pFile);
    const quint64 nRiff = even(m_chunk.size);
    m_fileInfo.setFileSize(nRiff);
    qint64 nRemaining = qint64(nRiff) - 4;
    bool bFormat = false;
    // The walk ends at the RIFF size or at the end of the file, whichever comes first; every chunk body is cut
    // at the end of the file.
    while (nRemaining >= 8 && ftello(m_pFile) + 8 <= nLength) {
        if (readChunk(&m_chunk, 0) != 1)
            return fail();
        const off_t nBody = ftello(m_pFile);
        const quint64 nSize = std::min<quint64>(m_chunk.size, quint64(nLength - nBody));
        if (memcmp(m_chunk.id, "LIST", 4) == 0) {
            readList(nSize);
        } else if (memcmp(m_chunk.id, "fmt ", 4) == 0 && !bFormat) {
            if (!readFormat(nSize))
                return fail();
            bFormat = true;
        } else if (memcmp(m_chunk.id, "data", 4) == 0 && m_fileInfo.dataOffset() == 0) {
            readData(nSize);
        } else if (memcmp(m_chunk.id, "bext", 4) == 0) {
            m_ebuInfo = MTools::Handle<EBUInfo>(new EBUInfo());
            m_ebuInfo->setChunkSize(int(nSize));
            m_ebuInfo->initFromHeader(m_pFile);
        } else if (memcmp(m_chunk.id, "levl", 4) == 0 && nSize >= quint64(EBUEnvelope::HeaderSize)) {
            m_ebuEnvelope = MTools::Handle<EBUEnvelope>(new EBUEnvelope());
            m_ebuEnvelope->setChunkSize(int(even(m_chunk.size)));
            m_ebuEnvelope->initFromHeader(m_pFile);
        }
        fseeko(m_pFile, nBody + off_t(std::min<quint64>(even(nSize), quint64(nLength - nBody))), SEEK_SET);
        nRemaining -= 8 + qint64(even(m_chunk.size));
    }
    if (!bFormat || m_fileInfo.dataOffset() == 0)
        return fail();
    m_fileInfo.setNumSamples(m_fileInfo.dataSize() / quint64(bitsPerSample() / 8));
    setFmt(fmt());
    rewind();
    return true;
}

bool WaveInput::readFormat(quint64 size)
{
    // A format chunk too short for the bit depth is not read past its end.
    if (size < 16)
        return false;
    const unsigned short nTag = FileUtil::readS(m_pFile, false);
    const unsigned short nChannels = FileUtil::readS(m_pFile, false);
    const unsigned nRate = FileUtil::readL(m_pFile, false);
    FileUtil::readL(m_pFile, false);
    FileUtil::readS(m_pFile, false);
    const unsigned short nBits = FileUtil::readS(m_pFile, false);
    if (nTag != 1 || !isReadableLayout(nRate, nChannels, nBits))
        return false;
    Settings held = settings();
    held.setFmt(short(nTag));
    held.setChannels(short(nChannels));
    held.setSampleRate(nRate);
    held.setBitsPerSample(short(nBits));
    setSettings(held);
    return true;
}

void WaveInput::readData(quint64 size)
{
    m_fileInfo.setDataOffset(quint64(ftello(m_pFile)) - 8);
    m_fileInfo.setDataSize(size);
}

void WaveInput::readList(quint64 size)
{
    // Sub-chunks are read only within the list; the walk goes on after the list whatever they claim.
    if (size < 4 || readID(m_achId) != 1 || memcmp(m_achId, "INFO", 4) != 0)
        return;
    qint64 nLeft = qint64(size) - 4;
    Chunk sub;
    while (nLeft >= 8 && readChunk(&sub, 0) == 1 && qint64(sub.size) <= nLeft - 8) {
        if (memcmp(sub.id, "ICMT", 4) == 0 && sub.size <= MaxComment) {
            QByteArray text(int(sub.size), '\0');
            if (sub.size > 0 && fread(text.data(), 1, sub.size, m_pFile) != sub.size)
                return;
            const int nNul = text.indexOf('\0');
            m_fileInfo.setComment(QString::fromLatin1(nNul < 0 ? text : text.left(nNul)));
            if (sub.size % 2)
                fgetc(m_pFile);
        } else {
            fseeko(m_pFile, off_t(even(sub.size)), SEEK_CUR);
        }
        nLeft -= 8 + qint64(even(sub.size));
    }
}

} // namespace ZADovuzIdida
