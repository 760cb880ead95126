#include "FrameCount.h"

#include "Pulldown.h"

#include <QDebug>

#include <cmath>
#include <cstdlib>

namespace MTools {

namespace {

constexpr float sm_fFps2997 = 29.97f;
constexpr float sm_fFps2398 = 23.98f;
constexpr double sm_dNtsc30 = 30000.0 / 1001.0;
constexpr double sm_dNtsc24 = 24000.0 / 1001.0;
constexpr double sm_dDropTolerance = 0.005;
// Beyond this the timecode arithmetic could leave 64 bits; no real frame rate comes near it.
constexpr double sm_dMaxRate = 1000000.0;

constexpr long long sm_nDay24Drop = 2071008;
constexpr long long sm_nDay30Drop = 2589408;
constexpr long long sm_nTenMinutes24Drop = 14382;
constexpr long long sm_nTenMinutes30Drop = 17982;
constexpr long long sm_nSecondsPerDay = 86400;

bool isNtsc30(float fps) { return std::fabs(double(fps) - sm_dNtsc30) < sm_dDropTolerance; }

bool isNtsc24(float fps) { return std::fabs(double(fps) - sm_dNtsc24) < sm_dDropTolerance; }

void reportUnset(int line)
{
    qDebug().noquote() << QStringLiteral("unexpected ERROR in %1:%2").arg(QLatin1String(__FILE__)).arg(line);
}

long long floorDiv(long long value, long long divisor)
{
    const long long quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

int twoDigitField(const QString& text, int position)
{
    return std::atoi(text.mid(position, 2).toLocal8Bit().constData());
}

} // namespace

FrameCount::FrameCount() = default;

FrameCount::FrameCount(long long frame, float fps) : m_nFrame(frame), m_fFps(fps) {}

FrameCount::FrameCount(int hours, int minutes, int seconds, int frames, float fps, bool pulldown, int phase,
                       int* remainder)
    : m_fFps(fps)
{
    m_nFrame = frameFromTimecode(fps, hours, minutes, seconds, frames, pulldown, phase, remainder);
}

FrameCount::FrameCount(float fps, unsigned smpteWord, bool pulldown, int phase, int* remainder)
{
    setSmpteTimecode(smpteWord, fps, pulldown, phase, remainder);
}

FrameCount::FrameCount(const FrameCount& other)
    : m_nFrame(other.m_bSet ? other.m_nFrame : Unknown), m_bSet(other.m_bSet), m_fFps(other.m_fFps),
      m_nSmpteWord(other.m_bSmpteValid ? other.m_nSmpteWord : 0), m_bSmpteValid(other.m_bSmpteValid)
{
}

FrameCount& FrameCount::operator=(const FrameCount& other)
{
    if (this == &other)
        return *this;
    m_fFps = other.m_fFps;
    m_bSet = other.m_bSet;
    m_nFrame = other.m_bSet ? other.m_nFrame : 0;
    m_nSmpteWord = other.m_nSmpteWord;
    m_bSmpteValid = other.m_bSmpteValid;
    return *this;
}

FrameCount::~FrameCount() = default;

long long FrameCount::frame() const
{
    if (!m_bSet) {
        reportUnset(__LINE__);
        return -1;
    }
    return m_nFrame;
}

void FrameCount::setFrameCount(long long frame)
{
    m_nFrame = frame;
    m_bSet = true;
    m_bSmpteValid = false;
}

void FrameCount::unsetFrameCount()
{
    m_nFrame = Unknown;
    m_fFps = 30.0f;
    m_bSet = false;
    m_bSmpteValid = false;
}

bool FrameCount::operator==(const FrameCount& other) const
{
    return m_nFrame == other.m_nFrame && m_fFps == other.m_fFps && m_bSet == other.m_bSet;
}

bool FrameCount::operator<(const FrameCount& other) const
{
    if (!m_bSet || !other.m_bSet) {
        reportUnset(__LINE__);
        return false;
    }
    return m_nFrame < other.m_nFrame;
}

bool FrameCount::operator>(const FrameCount& other) const
{
    if (!m_bSet || !other.m_bSet) {
        reportUnset(__LINE__);
        return false;
    }
    return m_nFrame > other.m_nFrame;
}

int FrameCount::nominalRate(float fps)
{
    if (isNtsc30(fps))
        return 30;
    if (isNtsc24(fps))
        return 24;
    const double rate = std::fabs(double(fps));
    if (!(rate < sm_dMaxRate))
        return 0;
    return int(std::lround(rate));
}

bool FrameCount::isDropFrameRate(float fps) { return isNtsc30(fps) || isNtsc24(fps); }

long long FrameCount::frameFromTimecode(float fps, long long hours, long long minutes, long long seconds, int frames,
                                        bool pulldown, int phase, int* remainder)
{
    long long rate = nominalRate(fps);
    if (rate == 0)
        return Unknown;
    long long frame = frames;
    if (pulldown) {
        if (const auto entry = Pulldown::videoToFilm(frames, phase)) {
            frame = *entry / 2;
            rate = Pulldown::FilmFrames;
            if (remainder)
                *remainder = *entry % 2;
        } else {
            qDebug().noquote() << QStringLiteral("FrameCount::frameCountFromTimecode pulldown value out of range: "
                                                 "frame %1 phase %2")
                                      .arg(frames)
                                      .arg(phase);
            if (remainder)
                *remainder = 0;
        }
    }
    frame += seconds * rate + minutes * 60 * rate + hours * 3600 * rate;
    if (isDropFrameRate(fps)) {
        const long long wholeMinutes = hours * 60 + minutes;
        frame -= 2 * (wholeMinutes - wholeMinutes / 10);
    }
    return frame;
}

long long FrameCount::frameCountFromTimecode(int hours, int minutes, int seconds, int frames, bool pulldown, int phase,
                                             int* remainder) const
{
    return frameFromTimecode(m_fFps, hours, minutes, seconds, frames, pulldown, phase, remainder);
}

long long FrameCount::frameCountFromTimecode(const QString& timecode, bool pulldown, int phase) const
{
    if (timecode.length() != 11)
        return Unknown;
    return frameFromTimecode(m_fFps, twoDigitField(timecode, 0), twoDigitField(timecode, 3), twoDigitField(timecode, 6),
                             twoDigitField(timecode, 9), pulldown, phase, nullptr);
}

void FrameCount::timecodeFromFrameCount(int* hours, int* minutes, int* seconds, int* frames, bool allowFullDay,
                                        int offset, bool pulldown, int phase) const
{
    long long h = 0, m = 0, s = 0, f = 0;
    const long long rate = nominalRate(m_fFps);
    if (!m_bSet)
        reportUnset(__LINE__);
    if (m_bSet && rate != 0) {
        // With pulldown the frame counts film frames, as the timecode-to-frame direction produces them.
        const bool drop = isDropFrameRate(m_fFps);
        const bool filmBase = rate == 24 || (rate == 30 && pulldown);
        const long long countRate = filmBase ? Pulldown::FilmFrames : rate;
        const long long day = drop ? (filmBase ? sm_nDay24Drop : sm_nDay30Drop) : countRate * sm_nSecondsPerDay;

        long long n = m_nFrame;
        if (n < 0)
            n = (n % day + day) % day;
        else if (!allowFullDay)
            n %= day;
        else if (n > day)
            n = (n - 1) % day + 1;

        if (drop) {
            const long long tenMinutes = filmBase ? sm_nTenMinutes24Drop : sm_nTenMinutes30Drop;
            const long long firstMinute = filmBase ? 1440 : 1800;
            const long long rest = n % tenMinutes;
            long long wholeMinutes = 10 * (n / tenMinutes);
            if (rest >= firstMinute)
                wholeMinutes += 1 + (rest - firstMinute) / (firstMinute - 2);
            n += 2 * (wholeMinutes - wholeMinutes / 10);
        }

        const long long totalSeconds = n / countRate;
        f = n - totalSeconds * countRate;
        s = totalSeconds % 60;
        m = totalSeconds / 60 % 60;
        h = totalSeconds / 3600;

        if (pulldown) {
            if (phase < 1 || phase > Pulldown::Phases) {
                qDebug().noquote() << QStringLiteral(
                                          "FrameCount::timecodeFromFrameCount wrong pulldown phase value: ") +
                                          QString::number(phase);
            } else if (const auto entry = Pulldown::filmToVideo(int(f), phase)) {
                // An entry below the film frame (film 23 in phase 4) is a video frame of the next second.
                const long long video =
                    static_cast<long long>(offset) + *entry + (*entry < f ? Pulldown::VideoFrames : 0);
                const long long shift = floorDiv(video, Pulldown::VideoFrames);
                f = video - shift * Pulldown::VideoFrames;
                if (shift != 0) {
                    long long time = (h * 3600 + m * 60 + s + shift) % sm_nSecondsPerDay;
                    if (time < 0)
                        time += sm_nSecondsPerDay;
                    h = time / 3600;
                    m = time / 60 % 60;
                    s = time % 60;
                }
            } else {
                qDebug().noquote() << QStringLiteral(
                                          "FrameCount::timecodeFromFrameCount film frame out of pulldown table: ") +
                                          QString::number(f);
            }
        }
    }
    if (hours)
        *hours = int(h);
    if (minutes)
        *minutes = int(m);
    if (seconds)
        *seconds = int(s);
    if (frames)
        *frames = int(f);
}

QString FrameCount::timecodeFromFrameCount(bool allowFullDay, bool pulldown, int phase, bool) const
{
    if (nominalRate(m_fFps) == 0)
        return QString();
    int h = 0, m = 0, s = 0, f = 0;
    timecodeFromFrameCount(&h, &m, &s, &f, allowFullDay, 0, pulldown, phase);
    return timecodeToString(h, m, s, f, isDropFrameRate(m_fFps));
}

QString FrameCount::timecodeToString(int hours, int minutes, int seconds, int frames, bool dropFrame) const
{
    const char separator = dropFrame ? ';' : ':';
    return QString::asprintf("%02d%c%02d%c%02d%c%02d", hours, separator, minutes, separator, seconds, separator,
                             frames);
}

QString FrameCount::timecodeToString(int hours, int minutes, int seconds, int frames, bool dropFrame, float fps,
                                     bool markLast)
{
    const char separator = dropFrame ? ';' : ':';
    char last = separator;
    if (markLast && !dropFrame && fps == 24.0f)
        last = '+';
    return QString::asprintf("%02d%c%02d%c%02d%c%02d", hours, separator, minutes, separator, seconds, last, frames);
}

void FrameCount::setSmpteTimecode(unsigned smpteWord, float fps, bool pulldown, int phase, int* remainder)
{
    m_bSet = true;
    const bool dropFlag = smpteWord & 0x40;
    if (isNtsc30(fps))
        fps = dropFlag ? sm_fFps2997 : 30.0f;
    else if (isNtsc24(fps))
        fps = dropFlag ? sm_fFps2398 : 24.0f;
    else if (fps != 24.0f && fps != 25.0f && fps != 30.0f)
        fps = 30.0f;
    m_fFps = fps;
    m_nSmpteWord = smpteWord;
    m_bSmpteValid = true;

    const int frames = int(smpteWord & 0xF) + 10 * int((smpteWord >> 4) & 0x3);
    const int seconds = int((smpteWord >> 8) & 0xF) + 10 * int((smpteWord >> 12) & 0x7);
    const int minutes = int((smpteWord >> 16) & 0xF) + 10 * int((smpteWord >> 20) & 0x7);
    const int hours = int((smpteWord >> 24) & 0xF) + 10 * int((smpteWord >> 28) & 0x3);
    m_nFrame = frameFromTimecode(m_fFps, hours, minutes, seconds, frames, pulldown, phase, remainder);
}

unsigned FrameCount::packSmpte(int hours, int minutes, int seconds, int frames)
{
    unsigned word = 0;
    for (const int field : {hours, minutes, seconds, frames})
        word = (word << 8) | unsigned(field / 10 % 10) << 4 | unsigned(field % 10);
    return word;
}

unsigned FrameCount::smpteTimecode()
{
    if (m_bSmpteValid)
        return m_nSmpteWord;
    if (!m_bSet) {
        qDebug().noquote() << QStringLiteral("FrameCount::smpteTimecode() wille framecount is unkonwn");
        return 0;
    }
    return calcSmpteTimecode();
}

unsigned FrameCount::calcSmpteTimecode()
{
    int h = 0, m = 0, s = 0, f = 0;
    timecodeFromFrameCount(&h, &m, &s, &f, false, 0, false, 0);
    m_nSmpteWord = packSmpte(h, m, s, f);
    m_bSmpteValid = true;
    return m_nSmpteWord;
}

long long FrameCount::convertFrame(float newFps)
{
    if (!m_bSet) {
        reportUnset(__LINE__);
        return Unknown;
    }
    if (m_fFps < 0)
        m_fFps = -m_fFps;
    if (m_fFps == 0 || m_nFrame == Unknown)
        return Unknown;
    const float converted = std::fabs(newFps) / m_fFps * float(m_nFrame) + 0.5f;
    if (!(converted >= -9223372036854775808.0f && converted < 9223372036854775808.0f))
        return Unknown;
    return static_cast<long long>(converted);
}

long long FrameCount::updateFps(float newFps)
{
    m_nFrame = convertFrame(newFps);
    m_fFps = newFps;
    m_bSet = true;
    m_bSmpteValid = false;
    return m_nFrame;
}

void FrameCount::print() const
{
    if (m_bSet)
        qDebug().noquote() << QStringLiteral("frame = ") + QString::number(m_nFrame);
}

} // namespace MTools
