#pragma once
// Converts one audio file (or a video's sound track) to a WAVE file of 44100 Hz, stereo, signed 32-bit samples.

#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>

#include <QObject>
#include <QString>

class QFile;

namespace ZADovuzIdida {

class FfmpegDecoder;

// Stream description of the target file, also what the source is decoded to.
struct ConverterStreamFormat
{
    double sampleRate;
    unsigned formatFlags;
    unsigned bytesPerPacket;
    unsigned framesPerPacket;
    unsigned bytesPerFrame;
    unsigned channelsPerFrame;
    unsigned bitsPerChannel;
};

// What one conversion passes between its steps; zeroed before use.
struct MyAudioConverterSettings
{
    ConverterStreamFormat outputFormat;
    FfmpegDecoder* inputFile;
    QFile* outputFile;
};

class NativeAudioConverter : public QObject
{
    Q_OBJECT
public:
    explicit NativeAudioConverter(QObject* parent = nullptr);

    // Kept for callers; the target format of doIt is fixed.
    void setSettings(const Settings& settings);
    // Converts input into the WAVE file output (replaced); returns when it is closed. Failures go to error().
    void doIt(const QString& input, const QString& output);
    // The copy loop of one conversion.
    void convert(MyAudioConverterSettings* s);
    // True for status 0; otherwise emits error() with the status text and returns false.
    bool checkResult(int status, const char* operation);
    // Milliseconds as a probing player reports them for path.
    long long duration(const QString& path);

    QString inputPath() const { return m_strInput; }
    QString outputPath() const { return m_strOutput; }
    Settings settings() const { return m_settings; }
    QString name() const { return QStringLiteral("NativeAudioConverter"); }
    void dump() const;

signals:
    void done();
    void progress(int percent);
    void error(const QString& message);

private:
    QString m_strInput;
    QString m_strOutput;
    Settings m_settings;
};

} // namespace ZADovuzIdida
