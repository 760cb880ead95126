#include <ZADovuzIdida/_VozIdavi/Input/AiffInput.h>

#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <QByteArray>

#include <algorithm>
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
    bool bCommon = false;
    // The walk ends at the FORM size or at the end of the file; every chunk body is cut at the end of the file.
    while (nRemaining > 8 && ftello(m_pFile) + 8 <= nLength) {
        if (readChunk(&chunk, 1) != 1)
            break;
        const off_t nBody = ftello(m_pFile);
        const quint64 nEven = (quint64(chunk.size) + 1) & ~quint64(1);
        const quint64 nSize = std::min<quint64>(chunk.size, quint64(nLength - nBody));
        if (memcmp(chunk.id, "COMM", 4) == 0) {
            if (nSize < 18 || !readCommon())
                return fail();
            bCommon = true;
        } else if (memcmp(chunk.id, "SSND", 4) == 0) {
            if (nSize < 8)
                return fail();
            const quint64 nOffset = FileUtil::readL(m_pFile, true);
            FileUtil::readL(m_pFile, true);
            // The samples follow the offset and end with the chunk.
            const quint64 nSkip = std::min<quint64>(nOffset, nSize - 8);
            m_fileInfo.setDataOffset(quint64(nBody) + 8 + nSkip - 8);
            m_fileInfo.setDataSize(nSize - 8 - nSkip);
        } else if (memcmp(chunk.id, "COMT", 4) == 0 && nSize >= 10) {
            const unsigned short nCount = FileUtil::readS(m_pFile, true);
            if (nCount > 0) {
                FileUtil::readL(m_pFile, true);
                FileUtil::readS(m_pFile, true);
                const quint64 nText = std::min<quint64>(FileUtil::readS(m_pFile, true), nSize - 10);
                QByteArray text(int(nText), '\0');
                if (nText > 0 && fread(text.data(), 1, nText, m_pFile) != nText)
                    return fail();
                m_fileInfo.setComment(QString::fromLatin1(text.constData(), text.size()));
            }
        }
        fseeko(m_pFile, nBody + off_t(std::min<quint64>(nEven, quint64(nLength - nBody))), SEEK_SET);
        if (nRemaining < 8 + nEven)
            break;
        nRemaining -= 8 + nEven;
    }
    // Without the common chunk nothing about the samples is known.
    if (!bCommon || m_fileInfo.dataOffset() == 0)
        return fail();
    m_fileInfo.setNumSamples(m_fileInfo.dataSize() / quint64(bitsPerSample() / 8));
    rewind();
    return true;
}

bool AiffInput::readCommon()
{
    const unsigned short nChannels = FileUtil::readS(m_pFile, true);
    const unsigned nFrames = FileUtil::readL(m_pFile, true);
    const unsigned short nBits = FileUtil::readS(m_pFile, true);
    char achRate[10];
    if (fread(achRate, 1, 10, m_pFile) != 10)
        return false;
    const double fRate = Util::convertFromIeeeExtended(achRate);
    if (!isReadableLayout(fRate, nChannels, nBits))
        return false;
    Settings held = settings();
    held.setChannels(short(nChannels));
    held.setBitsPerSample(short(nBits));
    held.setSampleRate(unsigned(fRate));
    setSettings(held);
    m_fileInfo.setNumSamples(quint64(nChannels) * nFrames);
    held.setFmt(fmt());
    setSettings(held);
    return true;
}

} // namespace ZADovuzIdida
