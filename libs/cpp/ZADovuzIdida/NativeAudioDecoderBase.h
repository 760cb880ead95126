#pragma once
// Calling protocol of a decoder that turns a file into float samples: setFile, read until 0, finish.

#include <QObject>
#include <QString>

namespace ZADovuzIdida {

class CoreLender;

class NativeAudioDecoderBase : public QObject
{
    Q_OBJECT

public:
    explicit NativeAudioDecoderBase(QObject* parent = nullptr) : QObject(parent) {}

    virtual void setFile(const QString& path, const int& sampleRate, const int& bitsPerSample, const int& channels) = 0;
    // Fills buffer (capacity count floats); returns the floats written, 0 at the end or on failure.
    virtual int read(float* buffer, int count) = 0;
    virtual void finish() = 0;
    // Damaged packets skipped or concealed since setFile; the stream went on past them.
    virtual int damagedPackets() const { return 0; }
    // Threads that may decode the next file ahead of read(), side by side, where that gives the same samples; none
    // by default. With a lender, each thread holds one of its cores only while it decodes, or the reader's core
    // while the reader waits for it; without one, the threads run on cores of their own.
    virtual void setSectionThreads(int nThreads, CoreLender* pLender = nullptr)
    {
        Q_UNUSED(nThreads)
        Q_UNUSED(pLender)
    }

signals:
    void error(const QString& message);

protected:
    QString m_strPath;
};

} // namespace ZADovuzIdida
