// Writer of RIFF/WAVE files with a "bext" chunk before the samples and a "levl" peak envelope after them.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Output/FileOutput.h>

#include <QString>

#include <vector>

namespace ZADovuzIdida {

// Samples arrive as interleaved floats and are stored as Settings::fmt selects: 8 unsigned 8-bit,
// 16 signed 16- or 32-bit, 2048 signed 24-bit, 32 IEEE floats. Files whose RIFF size would pass
// 4 GiB are refused. Any failed create, write or close puts the output in a failed state (ok()).
class WaveOutput : public FileOutput
{
public:
    // Creates the file and writes the header. With makeEbuInfo a default EBUInfo is made when none is
    // given, and filled for this file. The sample format follows the bits: 32 and 16 give 16, 24 gives
    // 2048, other values give 8 (only 8 itself is writable).
    WaveOutput(const char* path, const Settings& settings, const QString& comment, MTools::Handle<EBUInfo> ebuInfo,
               bool makeEbuInfo);
    // Closes a file that is still open.
    ~WaveOutput() override;

    void dump() const override;
    QString name() const override { return QStringLiteral("WaveOutput"); }

    // Writes n bytes at the end of the data; a negative n writes nothing and gives false.
    bool write(char* bytes, int n) override;
    // Records peaks, converts n interleaved samples and writes them.
    bool write(float* samples, int n) override;
    using BaseOutput::write;

    // Starts a new file (fresh peaks and error state); false when one is open or the settings are not writable.
    virtual bool create(const char* path);
    // Pads the data, appends "levl", sets the sizes and closes; true only when the whole file was written.
    virtual bool close();
    virtual int version() const { return 0; }
    // Timecodes at the EBUInfo's frame rate, or the production's when that is unset.
    virtual QString duration() const;
    virtual QString timecode(int frame) const;
    virtual QString start() const;

    void setEnvelopeFormat(EBUEnvelope::Format format) { m_envelopeFormat = format; }
    void addToPeaks(float* samples, int n);
    // Adds every channel's current block to the peaks, also when it is empty.
    void addLastPeak();
    // Bytes of data written / bytes per sample: all channels together.
    quint64 numSamples() const;
    // The EBUInfo's frame rate as stored, 0.0 without an EBUInfo.
    float fps() const;
    // Writes the envelope collected so far to a file of its own.
    bool saveEnvelope(const char* path);

protected:
    // Largest RIFF size a file may reach.
    virtual quint64 riffSizeLimit() const { return 0xFFFFFFFFull; }

private:
    // Bytes per stored sample for writable settings, else 0.
    static int storedBytesPerSample(const Settings& settings);
    // Opens path for writing from its start, made when missing and emptied when it holds data; nullptr on failure.
    static FILE* openEmptied(const char* path);
    bool writeHeader(const QByteArray& path);
    // False, with the failed state, when n more data bytes would take the file past riffSizeLimit().
    bool admit(quint64 n);
    float timecodeFps() const;
    QString timecodeOfSamples(double samples) const;
    void reportUnsupported();

    EBUEnvelope::Format m_envelopeFormat = EBUEnvelope::SixteenBit;
    QByteArray m_baPath;
    std::vector<int> m_vecnSamples;
    std::vector<short> m_vecshSamples;
    std::vector<char> m_vecchBytes;
};

} // namespace ZADovuzIdida
