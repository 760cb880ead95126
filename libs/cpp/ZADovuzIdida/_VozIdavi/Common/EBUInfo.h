// Contents of the Broadcast Wave "bext" chunk, plus the frame rate and chunk size that travel with it.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace ZADovuzIdida {

// Texts are kept and written as Latin-1, one byte per character, so sizes and round trips are exact.
class EBUInfo
{
public:
    // Bytes of the chunk body before the coding history.
    static constexpr int FixedSize = 602;

    EBUInfo();
    // Time reference and fps as given; the description becomes "sSPEED=<fps>".
    EBUInfo(long long timeReference, float fps);
    // Copies everything but the chunk size (a copy starts with 0).
    EBUInfo(const EBUInfo& other);
    // Copies everything but the chunk size (the target keeps its own).
    EBUInfo& operator=(const EBUInfo& other);
    virtual ~EBUInfo() = default;

    // Fixed-width texts: a shorter text is padded with NUL characters, a longer one is kept whole
    // and cut only when written.
    void setDescription(const QString& text) { m_strDescription = fixedWidth(text, 256); }
    void setOriginator(const QString& text) { m_strOriginator = fixedWidth(text, 32); }
    void setOriginationRef(const QString& text) { m_strOriginationRef = fixedWidth(text, 32); }
    void setOriginationDate(const QString& text) { m_strOriginationDate = fixedWidth(text, 10); }
    void setOriginationTime(const QString& text) { m_strOriginationTime = fixedWidth(text, 8); }
    void setTimeReferenceLow(unsigned value) { m_nTimeReferenceLow = value; }
    void setTimeReferenceHigh(unsigned value) { m_nTimeReferenceHigh = value; }
    void setTimeReference(const long long& value);
    void setVersion(int version) { m_nVersion = version; }
    void setCodingHistory(const QString& history) { m_strCodingHistory = history; }
    // Byte i of the UMID for 0 <= i < 64; other indices change nothing.
    void setUMID(int i, char c);
    void setChunkSize(int size) { m_nChunkSize = size; }

    const QString& description() const { return m_strDescription; }
    const QString& originator() const { return m_strOriginator; }
    const QString& originationRef() const { return m_strOriginationRef; }
    const QString& originationDate() const { return m_strOriginationDate; }
    const QString& originationTime() const { return m_strOriginationTime; }
    unsigned timeReferenceLow() const { return m_nTimeReferenceLow; }
    unsigned timeReferenceHigh() const { return m_nTimeReferenceHigh; }
    long long timeReference() const;
    int version() const { return m_nVersion; }
    // Byte i of the UMID, 0 outside 0..63.
    char umid(int i) const;
    char* umidsData() { return m_achUmid; }
    char* reservedData() { return m_achReserved; }
    const QString& codingHistory() const { return m_strCodingHistory; }
    int chunkSize() const { return m_nChunkSize; }
    // The chunk's ckSize: 602 + bytes of the coding history.
    int size() const;
    float fps() const { return m_fFps; }
    // Eight lines of eight UMID bytes as "%02x".
    QString umidsString() const;
    QString scene() const;
    QString take() const;
    QString userBits() const;
    // Performs no search: always "".
    QString searchForTemplates(QStringList& keys) const;

    // Writes the whole chunk ("bext", ckSize, body, pad byte when odd) at the current position.
    bool save(FILE* file) const;
    bool save(const char* path) const;
    // Reads a file written by save(path); a bare chunk body is read too.
    bool load(const char* path);
    // Reads the chunk body from the current position, bounded by chunkSize() when set. Missing bytes
    // read as zero; false when the stream ended early.
    bool initFromHeader(FILE* file);

    // Originator, reference, version, date and time, description and one coding history line.
    void fill(const QString& fileName, int sampleRate, int bitsPerSample, int channels);
    void fillDescription(const QString& fileName);
    // Appends "A=PCM,F=<rate>,W=<bits>,M=<mode>,T=\r\n" to the coding history.
    void updateHistory(int sampleRate, int bitsPerSample, int channels);
    static QString replaceSpacesWith(const QString& text, char c);

    void dump() const;

private:
    static QString fixedWidth(const QString& text, int width);
    void copyFrom(const EBUInfo& other);

    QString m_strDescription;
    QString m_strOriginator;
    QString m_strOriginationRef;
    QString m_strOriginationDate;
    QString m_strOriginationTime;
    unsigned m_nTimeReferenceLow = 0;
    unsigned m_nTimeReferenceHigh = 0;
    int m_nVersion = 0;
    char m_achUmid[64];
    char m_achReserved[190];
    QString m_strCodingHistory;
    int m_nChunkSize = 0;
    float m_fFps = -1.0f;
};

} // namespace ZADovuzIdida
