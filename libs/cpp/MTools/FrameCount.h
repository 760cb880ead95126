#pragma once
// A position counted in video frames at a frame rate, with SMPTE timecode conversion (drop frame, 2:3 pulldown).

#include <QString>

#include <climits>

namespace MTools {

class FrameCount
{
public:
    // The frame number of an unknown position.
    static constexpr long long Unknown = LLONG_MIN;

    // Unknown frame at 30 fps.
    FrameCount();
    FrameCount(long long frame, float fps);
    // The frame of a timecode; with pulldown the frames field is a video frame, counted as its film frame,
    // and its field remainder (-1, 0 or 1) goes to *remainder.
    FrameCount(int hours, int minutes, int seconds, int frames, float fps, bool pulldown = false, int phase = 0,
               int* remainder = nullptr);
    // The frame of a packed SMPTE word, see setSmpteTimecode.
    FrameCount(float fps, unsigned smpteWord, bool pulldown, int phase, int* remainder);
    // An unset source gives an unknown frame.
    FrameCount(const FrameCount& other);
    // An unset source gives frame 0.
    FrameCount& operator=(const FrameCount& other);
    ~FrameCount();

    // The frame number; -1 (and a debug line) when the object is not set.
    long long frame() const;
    void setFrameCount(long long frame);
    // Unknown frame at 30 fps, not set.
    void unsetFrameCount();
    bool isSet() const { return m_bSet; }
    float fps() const { return m_fFps; }

    bool operator==(const FrameCount& other) const;
    // Compare frame numbers; false (and a debug line) unless both objects are set.
    bool operator<(const FrameCount& other) const;
    bool operator>(const FrameCount& other) const;

    // Frame of a timecode at this object's fps; Unknown when the fps gives no frame rate.
    long long frameCountFromTimecode(int hours, int minutes, int seconds, int frames, bool pulldown = false,
                                     int phase = 0, int* remainder = nullptr) const;
    // Frame of an 11-character text "hh:mm:ss:ff" (the separators are not examined); Unknown for other lengths.
    long long frameCountFromTimecode(const QString& timecode, bool pulldown = false, int phase = 0) const;

    // Timecode fields of the frame, wrapped into one day (24:00:00:00 stays with allowFullDay).
    // With pulldown the counted film frame becomes the video frame of the phase, moved by offset.
    void timecodeFromFrameCount(int* hours, int* minutes, int* seconds, int* frames, bool allowFullDay = false,
                                int offset = 0, bool pulldown = false, int phase = 0) const;
    // "hh:mm:ss:ff", with ";" separators at the drop-frame rates; empty when the fps gives no frame rate.
    QString timecodeFromFrameCount(bool allowFullDay = false, bool pulldown = false, int phase = 0, bool = false) const;

    QString timecodeToString(int hours, int minutes, int seconds, int frames, bool dropFrame) const;
    // As above; with markLast the last separator is ";" for drop frame, "+" at 24 fps, else ":".
    static QString timecodeToString(int hours, int minutes, int seconds, int frames, bool dropFrame, float fps,
                                    bool markLast);

    // Reads the frame from a packed SMPTE word (bit 6 = drop frame); fps other than 23.98, 24, 25, 29.97
    // and 30 become 30, and the drop-frame rates without the drop-frame bit become 24 and 30.
    void setSmpteTimecode(unsigned smpteWord, float fps, bool pulldown = false, int phase = 0,
                          int* remainder = nullptr);
    // The packed timecode, one decimal digit per nibble (hours tens in bits 28-31); 0 when not set.
    unsigned smpteTimecode();
    unsigned calcSmpteTimecode();

    // The frame number at another rate, rounded to the nearest frame.
    long long convertFrame(float newFps);
    // Moves the object to another rate and returns the converted frame.
    long long updateFps(float newFps);

    void print() const;

    // 30 at 29.97, 24 at 23.98, otherwise |fps| rounded; 0 when fps gives no usable rate.
    static int nominalRate(float fps);
    // True at 29.97 (30000/1001) and 23.98 (24000/1001) fps.
    static bool isDropFrameRate(float fps);

private:
    static long long frameFromTimecode(float fps, long long hours, long long minutes, long long seconds, int frames,
                                       bool pulldown, int phase, int* remainder);
    static unsigned packSmpte(int hours, int minutes, int seconds, int frames);

    long long m_nFrame = Unknown;
    bool m_bSet = true;
    float m_fFps = 30.0f;
    unsigned m_nSmpteWord = 0;
    bool m_bSmpteValid = false;
};

} // namespace MTools
