// Header of the Broadcast Wave peak envelope chunk "levl", and the writer of a complete chunk.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>

#include <QString>

#include <cstdio>

namespace ZADovuzIdida {

class EBUEnvelope
{
public:
    enum Format { EightBit = 1, SixteenBit = 2 };

    // Bytes of the chunk body before the peak data.
    static constexpr int HeaderSize = 120;

    EBUEnvelope();
    EBUEnvelope(const EBUEnvelope& other) = default;
    EBUEnvelope& operator=(const EBUEnvelope& other) = default;
    virtual ~EBUEnvelope() = default;

    int version() const { return m_nVersion; }
    int format() const { return m_nFormat; }
    int pointsPerValue() const { return m_nPointsPerValue; }
    int blockSize() const { return m_nBlockSize; }
    int peakChannels() const { return m_nPeakChannels; }
    int numPeakFrames() const { return m_nNumPeakFrames; }
    int posPeakOfPeaks() const { return m_nPosPeakOfPeaks; }
    int offsetToPeaks() const { return m_nOffsetToPeaks; }
    int chunkSize() const { return m_nChunkSize; }
    const QString& timeStamp() const { return m_strTimeStamp; }

    void setVersion(int value) { m_nVersion = value; }
    void setFormat(int value) { m_nFormat = value; }
    void setPointsPerValue(int value) { m_nPointsPerValue = value; }
    void setBlockSize(int value) { m_nBlockSize = value; }
    void setPeakChannels(int value) { m_nPeakChannels = value; }
    void setNumPeakFrames(int value) { m_nNumPeakFrames = value; }
    void setPosPeakOfPeaks(int value) { m_nPosPeakOfPeaks = value; }
    void setOffsetToPeaks(int value) { m_nOffsetToPeaks = value; }
    void setChunkSize(int value) { m_nChunkSize = value; }
    // Stores exactly 28 characters: cut, or padded with spaces.
    void setTimeStamp(const QString& text);

    // Bytes of the complete chunk save() writes for these peaks, "levl" and ckSize included.
    static quint64 chunkBytes(int peakChannels, qint64 numPeakFrames, int format);

    // Writes "levl", ckSize, the header and the peak data at the current position. Magnitudes are clipped
    // to [0, 1] (NaN counts as 0). A format other than 1 or 2 writes nothing. True when all was written.
    bool save(FILE* file, const PeakVector& peaks, const Format& format);
    bool save(const char* path, const PeakVector& peaks, const Format& format);
    // Reads the 120 header bytes that follow the 8-byte chunk id and size; false when the stream ended early.
    bool initFromHeader(FILE* file);
    // Reads the header of a file written by save(path); a bare header is read too. Peaks are not read.
    bool load(const char* path, PeakVector& peaks);

    void dump() const;

private:
    int m_nVersion = 0;
    int m_nFormat = 0;
    int m_nPointsPerValue = 0;
    int m_nBlockSize = 0;
    int m_nPeakChannels = 0;
    int m_nNumPeakFrames = 0;
    int m_nPosPeakOfPeaks = 0;
    int m_nOffsetToPeaks = 0;
    int m_nChunkSize = 0;
    QString m_strTimeStamp;
    char m_achReserved[60];
};

} // namespace ZADovuzIdida
