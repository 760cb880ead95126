#include "Xani.h"

namespace MGraphX {

namespace {

// Fixed interval between frames.
constexpr int sm_nTickMs = 1000;

} // namespace

Xani::Xani(const QString& path, QObject* parent) : QObject(parent)
{
    Q_UNUSED(path);
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(nextFrame()));
}

Xani::Xani(const Xani& other)
    : QObject(nullptr), QImage(), m_nLoop(other.m_nLoop), m_nFrameDuration(other.m_nFrameDuration),
      m_frames(other.m_frames)
{
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(nextFrame()));
}

Xani& Xani::operator=(const Xani& other)
{
    m_nLoop = other.m_nLoop;
    m_nFrameDuration = other.m_nFrameDuration;
    m_frames = other.m_frames;
    return *this;
}

XaniImageData Xani::frame(int index) const
{
    return index >= 0 && index < m_frames.size() ? m_frames.at(index) : XaniImageData();
}

int Xani::appendFrame(const XaniImageData& frame)
{
    m_frames.append(frame);
    return m_frames.size();
}

void Xani::setFrame(int index, const XaniImageData& frame)
{
    if (index >= 0 && index < m_frames.size())
        m_frames[index] = frame;
}

void Xani::clearFrames() { m_frames.clear(); }

void Xani::setCurrentIndex(int index)
{
    QImage::operator=(frame(index).image());
    emit frameChanged();
}

void Xani::start() { m_timer.start(sm_nTickMs); }

void Xani::stop() { m_timer.stop(); }

void Xani::setXml(const QString& xml) { Q_UNUSED(xml); }

void Xani::nextFrame()
{
    if (m_frames.isEmpty()) {
        m_timer.stop();
        return;
    }
    if (m_nCurrent >= m_frames.size())
        m_nCurrent = 0;
    setCurrentIndex(m_nCurrent);
    ++m_nCurrent;
}

} // namespace MGraphX
