#include "NativeAudioConverter.h"

#include "NativeAudioPlayer.h"
#include "Native/FfmpegDecoder.h"
#include "Native/MediaStatus.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace ZADovuzIdida {

namespace {

const int kStatusCreateFailed = fourCharStatus('w', 'r', 't', '?');
const int kStatusWriteFailed = fourCharStatus('w', 'r', 'i', '!');
const int kStatusTooLarge = fourCharStatus('f', 's', 'i', 'z');
const int kBufferBytes = 32768;
const int kHeaderBytes = 44;
// Largest data chunk whose RIFF size still fits 32 bits.
const quint64 kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

void put16(char* p, quint16 value) { qToLittleEndian(value, p); }

void put32(char* p, quint32 value) { qToLittleEndian(value, p); }

// A canonical 44-byte PCM WAVE header for dataBytes of sample data.
QByteArray waveHeader(const ConverterStreamFormat& format, quint32 dataBytes)
{
    char p[kHeaderBytes] = {};
    memcpy(p, "RIFF", 4);
    put32(p + 4, dataBytes + kHeaderBytes - 8);
    memcpy(p + 8, "WAVEfmt ", 8);
    put32(p + 16, 16);
    put16(p + 20, 1);
    put16(p + 22, quint16(format.channelsPerFrame));
    put32(p + 24, quint32(format.sampleRate));
    put32(p + 28, quint32(format.sampleRate) * format.bytesPerFrame);
    put16(p + 32, quint16(format.bytesPerFrame));
    put16(p + 34, quint16(format.bitsPerChannel));
    memcpy(p + 36, "data", 4);
    put32(p + 40, dataBytes);
    return QByteArray(p, kHeaderBytes);
}

} // namespace

NativeAudioConverter::NativeAudioConverter(QObject* parent) : QObject(parent), m_settings(48000, 2, 1, 16) {}

void NativeAudioConverter::setSettings(const Settings& settings) { m_settings = settings; }

void NativeAudioConverter::doIt(const QString& input, const QString& output)
{
    m_strInput = input;
    m_strOutput = output;
    MyAudioConverterSettings s;
    memset(&s, 0, sizeof(s));

    FfmpegDecoder decoder;
    s.inputFile = &decoder;
    checkResult(decoder.open(input), "ExtAudioFileOpenURL failed");

    s.outputFormat.sampleRate = 44100.0;
    s.outputFormat.formatFlags = 12;
    s.outputFormat.bytesPerPacket = 8;
    s.outputFormat.framesPerPacket = 1;
    s.outputFormat.bytesPerFrame = 8;
    s.outputFormat.channelsPerFrame = 2;
    s.outputFormat.bitsPerChannel = 32;

    QFile target(output);
    if (checkResult(target.open(QIODevice::WriteOnly | QIODevice::Truncate) ? 0 : kStatusCreateFailed,
                    "AudioFileCreateWithURL failed")) {
        target.write(waveHeader(s.outputFormat, 0));
        s.outputFile = &target;
    }

    checkResult(decoder.setOutputFormat(int(s.outputFormat.sampleRate), FfmpegDecoder::SampleFormat::S32),
                "Couldn't set client data format on input ext file");

    convert(&s);

    decoder.close();
    if (target.isOpen()) {
        const qint64 dataBytes = qMax<qint64>(0, target.size() - kHeaderBytes);
        if (!target.seek(0) || target.write(waveHeader(s.outputFormat, quint32(dataBytes))) != kHeaderBytes)
            checkResult(kStatusWriteFailed, "AudioFileClose failed");
        target.close();
    }
    qDebug() << "!!!!3";
}

void NativeAudioConverter::convert(MyAudioConverterSettings* s)
{
    const unsigned bytesPerPacket = s->outputFormat.bytesPerPacket;
    const unsigned packetsPerBuffer = kBufferBytes / bytesPerPacket;
    std::vector<char> buffer(kBufferBytes);
    quint64 position = 0;

    for (;;) {
        int status = 0;
        int frames = 0;
        if (s->inputFile->isReady())
            frames = s->inputFile->read(buffer.data(), int(packetsPerBuffer), &status);
        else
            status = kStatusUnspecified;
        if (!checkResult(status, "Couldn't read from input file"))
            break;
        if (frames <= 0) {
            qDebug() << "!!!!2";
            break;
        }
        const qint64 bytes = qint64(frames) * bytesPerPacket;
        int writeStatus = 0;
        if (!s->outputFile)
            writeStatus = kStatusWriteFailed;
        else if (position + quint64(bytes) > kMaxDataBytes)
            writeStatus = kStatusTooLarge;
        else if (s->outputFile->write(buffer.data(), bytes) != bytes)
            writeStatus = kStatusWriteFailed;
        if (!checkResult(writeStatus, "Couldn't write packets to file"))
            break;
        position += quint64(bytes);
    }
    qDebug() << "!!!!1";
}

bool NativeAudioConverter::checkResult(int status, const char* operation)
{
    if (status == 0)
        return true;
    emit error(statusMessage(status, operation));
    return false;
}

long long NativeAudioConverter::duration(const QString& path)
{
    NativeAudioPlayer player;
    player.setMedia(path);
    return player.duration();
}

void NativeAudioConverter::dump() const
{
    qDebug() << "---------- Begin NativeAudioConverter ----------";
    qDebug() << "input path =" << m_strInput;
    qDebug() << "output path =" << m_strOutput;
    qDebug() << "settings =" << m_settings.sampleRate() << m_settings.channels() << m_settings.fmt()
             << m_settings.bitsPerSample();
    qDebug() << "---------- End NativeAudioConverter ----------";
}

} // namespace ZADovuzIdida
