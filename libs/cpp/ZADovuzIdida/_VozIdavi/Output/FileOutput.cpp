#include <ZADovuzIdida/_VozIdavi/Output/FileOutput.h>

#include <QDebug>
#include <QFile>

#include <algorithm>

namespace ZADovuzIdida {

namespace {

// The header of a float file says IEEE floats, every other code says PCM.
bool isFloatFormat(short fmt) { return fmt == 32; }

} // namespace

FileOutput::FileOutput(const char* path, const Settings& settings, const QString& comment,
                       MTools::Handle<EBUInfo> ebuInfo, bool makeEbuInfo)
    : m_hEbuInfo(ebuInfo), m_hEnvelope(new EBUEnvelope)
{
    Q_UNUSED(makeEbuInfo);
    m_hEnvelope->setBlockSize(m_nBlockSize);
    setSettings(settings);
    m_fileInfo.setComment(comment);
    m_fileInfo.setURL(QUrl::fromLocalFile(QFile::decodeName(path)));
}

FileOutput::~FileOutput() = default;

void FileOutput::setSettings(const Settings& settings)
{
    if (isOpen()) {
        const Settings& current = this->settings();
        if (settings.sampleRate() != current.sampleRate() || settings.channels() != current.channels() ||
            settings.bitsPerSample() != current.bitsPerSample() ||
            isFloatFormat(settings.fmt()) != isFloatFormat(current.fmt())) {
            qDebug() << "FileOutput::setSettings: the layout of an open file cannot change";
            return;
        }
    }
    BaseOutput::setSettings(settings);
    if (!isOpen())
        m_vecChannelPeaks.assign(std::max<int>(settings.channels(), 0), ChannelPeakState());
}

MTools::Handle<EBUInfo> FileOutput::ebuInfo() const { return m_hEbuInfo; }

void FileOutput::fail(const QString& message)
{
    if (!m_bFailed)
        m_strError = message;
    m_bFailed = true;
}

void FileOutput::clearFailure()
{
    m_bFailed = false;
    m_strError.clear();
}

} // namespace ZADovuzIdida
