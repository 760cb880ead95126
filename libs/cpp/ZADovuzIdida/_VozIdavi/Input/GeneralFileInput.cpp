#include <ZADovuzIdida/_VozIdavi/Input/GeneralFileInput.h>

#include <ZADovuzIdida/_VozIdavi/Input/AiffInput.h>
#include <ZADovuzIdida/_VozIdavi/Input/WaveInput.h>

namespace ZADovuzIdida {

const FileInfo GeneralFileInput::sm_emptyFileInfo;
const PeakInfo GeneralFileInput::sm_zeroPeakInfo;

bool GeneralFileInput::load(const char* path, bool force)
{
    MTools::Handle<FileInput> candidate(new WaveInput());
    if (!candidate->load(path, force)) {
        candidate = MTools::Handle<FileInput>(new AiffInput());
        if (!candidate->load(path, force))
            return false;
    }
    m_delegate = candidate;
    setSettings(m_delegate->settings());
    m_fileInfo = m_delegate->fileInfo();
    m_ebuEnvelope = m_delegate->ebuEnvelope();
    m_ebuInfo = m_delegate->ebuInfo();
    m_strPath = absolutePath(path);
    return true;
}

void GeneralFileInput::dump() const
{
    if (!m_delegate.isNull())
        m_delegate->dump();
}

QString GeneralFileInput::name() const { return m_delegate.isNull() ? QString() : m_delegate->name(); }

short GeneralFileInput::fmt() const { return m_delegate.isNull() ? 0 : m_delegate->fmt(); }

void GeneralFileInput::createPeakVector()
{
    if (!m_delegate.isNull())
        m_delegate->createPeakVector();
}

const PeakInfo& GeneralFileInput::peakInfo(int x, int ch, float zoom)
{
    return m_delegate.isNull() ? sm_zeroPeakInfo : m_delegate->peakInfo(x, ch, zoom);
}

int GeneralFileInput::read(char* data, int n) { return m_delegate.isNull() ? 0 : m_delegate->read(data, n); }

int GeneralFileInput::read(MTools::Handle<RawBuffer> buffer)
{
    return m_delegate.isNull() ? 0 : m_delegate->read(buffer);
}

int GeneralFileInput::read(MTools::Handle<AudioFloatBuffer> buffer)
{
    return m_delegate.isNull() ? 0 : m_delegate->read(buffer);
}

int GeneralFileInput::read(MTools::Handle<AudioFloatBuffer> buffer, unsigned long frame)
{
    return m_delegate.isNull() ? 0 : m_delegate->read(buffer, frame);
}

int GeneralFileInput::read(float* out, int n) { return m_delegate.isNull() ? 0 : m_delegate->read(out, n); }

int GeneralFileInput::seek(qint64 bytes) { return m_delegate.isNull() ? 0 : m_delegate->seek(bytes); }

qint64 GeneralFileInput::tell() { return m_delegate.isNull() ? 0 : m_delegate->tell(); }

int GeneralFileInput::flush() { return m_delegate.isNull() ? 0 : m_delegate->flush(); }

int GeneralFileInput::rewind() { return m_delegate.isNull() ? 0 : m_delegate->rewind(); }

qint64 GeneralFileInput::position() const { return m_delegate.isNull() ? 0 : m_delegate->position(); }

int GeneralFileInput::gotoFrame(const qint64& frame, const int& channels)
{
    return m_delegate.isNull() ? 0 : m_delegate->gotoFrame(frame, channels);
}

int GeneralFileInput::gotoFrame(const qint64& frame) { return m_delegate.isNull() ? 0 : m_delegate->gotoFrame(frame); }

int GeneralFileInput::readFrames(const qint64& frame, float* out, const int& n, const int& channels)
{
    return m_delegate.isNull() ? 0 : m_delegate->readFrames(frame, out, n, channels);
}

int GeneralFileInput::readFrames(float* out, const int& n, const int& channels)
{
    return m_delegate.isNull() ? 0 : m_delegate->readFrames(out, n, channels);
}

void GeneralFileInput::saveEnvelope(const char* path, const EBUEnvelope::Format& format)
{
    if (!m_delegate.isNull())
        m_delegate->saveEnvelope(path, format);
}

void GeneralFileInput::loadEnvelope(const char* path)
{
    if (!m_delegate.isNull())
        m_delegate->loadEnvelope(path);
}

void GeneralFileInput::saveEbuInfo(const char* path)
{
    if (!m_delegate.isNull())
        m_delegate->saveEbuInfo(path);
}

void GeneralFileInput::loadEbuInfo(const char* path)
{
    if (!m_delegate.isNull())
        m_delegate->loadEbuInfo(path);
}

MTools::Handle<EBUInfo> GeneralFileInput::ebuInfo() const
{
    return m_delegate.isNull() ? MTools::Handle<EBUInfo>() : m_delegate->ebuInfo();
}

MTools::Handle<EBUEnvelope> GeneralFileInput::ebuEnvelope() const
{
    return m_delegate.isNull() ? MTools::Handle<EBUEnvelope>() : m_delegate->ebuEnvelope();
}

const FileInfo& GeneralFileInput::fileInfo() const
{
    return m_delegate.isNull() ? sm_emptyFileInfo : m_delegate->fileInfo();
}

MTools::Handle<PeakVector> GeneralFileInput::peakVector() const
{
    return m_delegate.isNull() ? MTools::Handle<PeakVector>() : m_delegate->peakVector();
}

FILE* GeneralFileInput::filePointer() { return m_delegate.isNull() ? nullptr : m_delegate->filePointer(); }

int GeneralFileInput::close() { return m_delegate.isNull() ? 0 : m_delegate->close(); }

int GeneralFileInput::createLTCData(const int& ch) { return m_delegate.isNull() ? -1 : m_delegate->createLTCData(ch); }

LTCData GeneralFileInput::getLTC(const qint64& audioFrame) const
{
    return m_delegate.isNull() ? LTCData(-1, QString(), 30.0f) : m_delegate->getLTC(audioFrame);
}

int GeneralFileInput::getAudioFrameLTC(int h, int m, int s, int f) const
{
    return m_delegate.isNull() ? -1 : m_delegate->getAudioFrameLTC(h, m, s, f);
}

int GeneralFileInput::getAudioFrameLTC(const QString& timecode) const
{
    return m_delegate.isNull() ? -1 : m_delegate->getAudioFrameLTC(timecode);
}

bool GeneralFileInput::isLTCDataAvailable() { return !m_delegate.isNull() && m_delegate->isLTCDataAvailable(); }

int GeneralFileInput::getLTCTrack() { return m_delegate.isNull() ? -1 : m_delegate->getLTCTrack(); }

float GeneralFileInput::ltcFps() { return m_delegate.isNull() ? 0.0f : m_delegate->ltcFps(); }

unsigned GeneralFileInput::sampleRate() const { return m_delegate.isNull() ? 0 : m_delegate->sampleRate(); }

short GeneralFileInput::channels() const { return m_delegate.isNull() ? 0 : m_delegate->channels(); }

short GeneralFileInput::bitsPerSample() const { return m_delegate.isNull() ? 0 : m_delegate->bitsPerSample(); }

QString GeneralFileInput::formatString() const
{
    static const char* const names[] = {"BWF", "WAVE", "AIFF", "UNKNOWN"};
    return QString::fromLatin1(names[fileFormat()]);
}

int GeneralFileInput::fileFormat() const
{
    if (m_delegate.isNull())
        return 3;
    const QString strName = m_delegate->name();
    if (strName == QLatin1String("WaveInput"))
        return m_delegate->ebuInfo().isNull() ? 1 : 0;
    if (strName == QLatin1String("AiffInput"))
        return 2;
    return 3;
}

} // namespace ZADovuzIdida
