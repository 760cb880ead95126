#include <ZADovuzIdida/_VozIdavi/Input/AiffInput.h>

#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <QByteArray>

#include <cstring>
#include <sys/stat.h>

namespace ZADovuzIdida {

short AiffInput::fmt() const
{
    switch (bitsPerSample()) {
    case 8:
        return 64;
    case 16:
        return 32;
    case 24:
        return 4096;
    default:
        return 0;
    }
}

bool AiffInput::fail()
{
    close();
    return false;
}

bool AiffInput::open(const char* path)
{
    m_fileInfo.setDataOffset(0);
    m_pFile = fopen(path, "r");
    if (!m_pFile)
        return false;
    Chunk chunk;
    char achType[4];
    if (readChunk(&chunk, 1) != 1 || memcmp(chunk.id, "FORM", 4) != 0)
        return fail();
    if (readID(achType) != 1 || memcmp(achType, "AIFF", 4) != 0)
        return fail();
    struct stat info;
    const off_t nLength = fstat(fileno(m_pFile), &info) == 0 ? info.st_size : 0;
    quint64 nRemaining = ((quint64(chunk.size) + 1) & ~quint64(1)) - 4;
    while (nRemaining > 8) {
        if (readChunk(&chunk, 1) != 1)
            break;
        const off_t nStart = ftello(m_pFile) - 8;
        const quint64 nSize = chunk.size;
        const quint64 nEven = (nSize + 1) & ~quint64(1);
        if (memcmp(chunk.id, "COMM", 4) == 0) {
            const short nChannels = short(FileUtil::readS(m_pFile, true));
            const unsigned nFrames = FileUtil::readL(m_pFile, true);
            const short nBits = short(FileUtil::readS(m_pFile, true));
            char achRate[10];
            if (fread(achRate, 1, 10, m_pFile) != 10)
                return fail();
            Settings held = settings();
            held.setChannels(nChannels);
            held.setBitsPerSample(nBits);
            held.setSampleRate(unsigned(Util::convertFromIeeeExtended(achRate)));
            setSettings(held);
            m_fileInfo.setNumSamples(quint64(quint16(nChannels)) * nFrames);
            held.setFmt(fmt());
            setSettings(held);
            fseeko(m_pFile, nStart + 8 + off_t(nEven), SEEK_SET);
        } else if (memcmp(chunk.id, "SSND", 4) == 0) {
            const unsigned nOffset = FileUtil::readL(m_pFile, true);
            FileUtil::readL(m_pFile, true);
            m_fileInfo.setDataOffset(quint64(nStart) + 16 + nOffset - 8);
            m_fileInfo.setDataSize(nSize >= 8 ? nSize - 8 : 0);
            fseeko(m_pFile, nStart + 8 + off_t(nEven), SEEK_SET);
        } else if (memcmp(chunk.id, "COMT", 4) == 0) {
            const unsigned short nCount = FileUtil::readS(m_pFile, true);
            if (nCount == 0) {
                fseeko(m_pFile, off_t(nSize) - 2, SEEK_CUR);
            } else {
                FileUtil::readL(m_pFile, true);
                FileUtil::readS(m_pFile, true);
                const unsigned short nText = FileUtil::readS(m_pFile, true);
                if (off_t(nText) > nLength - ftello(m_pFile))
                    return fail();
                QByteArray text(int(nText), '\0');
                if (nText > 0 && fread(text.data(), 1, nText, m_pFile) != nText)
                    return fail();
                m_fileInfo.setComment(QString::fromLatin1(text.constData(), text.size()));
                const qint64 nSkip = qint64(nSize) - 10 - qint64((nText + 1) & ~1);
                if (nSkip != 0)
                    fseeko(m_pFile, off_t(nSkip), SEEK_CUR);
            }
        } else {
            fseeko(m_pFile, off_t(nEven), SEEK_CUR);
        }
        if (nRemaining < 8 + nEven)
            break;
        nRemaining -= 8 + nEven;
    }
    // A sample narrower than a byte cannot be read.
    if (m_fileInfo.dataOffset() == 0 || bitsPerSample() < 8)
        return fail();
    m_fileInfo.setNumSamples(m_fileInfo.dataSize() / quint64(bitsPerSample() / 8));
    rewind();
    return true;
}

} // namespace ZADovuzIdida
