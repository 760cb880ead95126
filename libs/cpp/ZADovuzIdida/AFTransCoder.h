#pragma once
// Runs the afconvert tool to turn a closed WAV file into an M4A (AAC) file; also a fixed MP3 test encoder.

#include <QObject>
#include <QString>
#include <QStringList>

namespace ZADovuzIdida {

class CoreLender;
class ProcessGroups;

class AFTransCoder : public QObject
{
public:
    explicit AFTransCoder(QObject* parent = nullptr);

    void setQuality(const int& quality);
    void setBitrate(const int& bitrate);
    // The factor every value is multiplied by before encoding; 1 (the default) leaves the level as it is.
    void setGain(float gain) { m_fGain = gain; }
    // How many stretches the tool may cut the file in, each encoded on a thread of its own, at most
    // EncodeParts::kMaxParts; 1 (the default) encodes whole.
    void setParts(int parts) { m_nParts = parts; }
    // With parts: the tool begins with one stretch at a time and runs more at once on the cores lender lends it,
    // which it gives back as they come free; none by default (all stretches at once).
    void setCoreLender(CoreLender* pLender) { m_pLender = pLender; }
    // The tool measures its result's decoded peak while it encodes, for decodedPeak(); off by default.
    void setMeasurePeak(bool bMeasure) { m_bMeasurePeak = bMeasure; }
    // The tool ends the encode as soon as a decoded value of its loud frames passes level, leaving no result; 0 (the
    // default) never.
    void setStopAbove(float level) { m_fStopAbove = level; }
    // The groups the tool joins while it runs (held, let go and ended with them); none by default.
    void setProcessGroups(ProcessGroups* pGroups) { m_pGroups = pGroups; }
    QString format() const;
    QString formatDescription() const;
    QStringList extensions() const;
    QStringList dataFormats() const;

    // Runs afconvert on input and blocks until it exits; success shows only as the output file existing.
    void convert(const QString& input, const QString& output);
    // Why the last convert failed, as the tool or the system tells it; empty after a run that ended well.
    QString errorText() const { return m_strErrorText; }
    // The last convert found a file under the output's working name and left it as it was: another output name
    // will do.
    bool workingNameTaken() const { return m_bWorkingNameTaken; }
    // Where the last convert's finished encode stays when the tool could not flush it to the disk or give it the
    // output's name (errorText() says why): the output or its working file; empty otherwise.
    QString keptEncode() const { return m_strKeptEncode; }
    // With setMeasurePeak: the largest absolute value a whole decode of the last convert's result gives, as the tool
    // told it; -1 when it told none.
    float decodedPeak() const { return m_fDecodedPeak; }
    // With setStopAbove: the largest decoded value seen when the last convert ended early as one passed the level;
    // -1 when it did not end so.
    float passedPeak() const { return m_fPassedPeak; }

private:
    int m_nQuality = 127;
    int m_nBitrate = 128000;
    float m_fGain = 1.0f;
    int m_nParts = 1;
    bool m_bMeasurePeak = false;
    ProcessGroups* m_pGroups = nullptr;
    CoreLender* m_pLender = nullptr;
    QString m_strErrorText;
    bool m_bWorkingNameTaken = false;
    QString m_strKeptEncode;
    float m_fDecodedPeak = -1.0f;
    float m_fStopAbove = 0.0f;
    float m_fPassedPeak = -1.0f;
};

class LameTransCoder : public QObject
{
public:
    explicit LameTransCoder(QObject* parent = nullptr);

    // Starts one fixed MP3 test encoding detached and returns at once.
    void start();
};

// Reverses s in place and returns it; nullptr stays nullptr.
char* reverse_string(char* s);

} // namespace ZADovuzIdida
