// Abstract file output: chunk records, running peak state, file facts and an error state.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>
#include <ZADovuzIdida/_VozIdavi/Output/BaseOutput.h>

#include <MTools/Handle.h>

#include <QString>

#include <cstdio>
#include <vector>

namespace ZADovuzIdida {

// Running minimum and maximum of one channel's current peak block.
struct ChannelPeakState
{
    float max = 0.0f;
    float min = 0.0f;
    int count = 0;
    // Frames of this channel since the file was created.
    qint64 position = 0;
};

class FileOutput : public BaseOutput
{
public:
    // The path is local 8-bit text; ebuInfo is shared, not copied. makeEbuInfo is used by subclasses.
    FileOutput(const char* path, const Settings& settings, const QString& comment, MTools::Handle<EBUInfo> ebuInfo,
               bool makeEbuInfo);
    ~FileOutput() override;

    // While a file is open, a change of rate, channels, bits or sample type is refused (ignored).
    void setSettings(const Settings& settings) override;
    // The EBUInfo handle, empty when there is none.
    virtual MTools::Handle<EBUInfo> ebuInfo() const;
    const FileInfo& fileInfo() const { return m_fileInfo; }

    // False once creating, writing or closing the current file failed; errorString() says why: the system's reason,
    // or what the writer refused.
    bool ok() const { return !m_bFailed; }
    QString errorString() const { return m_strError; }

protected:
    bool isOpen() const { return m_pFile != nullptr; }
    // Enters the failed state; the first message is kept.
    void fail(const QString& message);
    void clearFailure();

    MTools::Handle<EBUInfo> m_hEbuInfo;
    MTools::Handle<EBUEnvelope> m_hEnvelope;
    PeakVector m_peaks;
    FileInfo m_fileInfo;
    FILE* m_pFile = nullptr;
    int m_nBlockSize = 256;
    float m_fPeakOfPeaks = 0.0f;
    std::vector<ChannelPeakState> m_vecChannelPeaks;

private:
    bool m_bFailed = false;
    QString m_strError;
};

} // namespace ZADovuzIdida
