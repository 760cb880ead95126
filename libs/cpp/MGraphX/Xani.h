#pragma once
// Frame animation: an ordered list of frames shown one after another on a timer; the picture is the current frame.

#include <MGraphX/XaniImageData.h>

#include <QImage>
#include <QObject>
#include <QTimer>
#include <QVector>

namespace MGraphX {

class Xani : public QObject, public QImage
{
    Q_OBJECT

public:
    // The path is not read; load() reads a file.
    explicit Xani(const QString& path = QString(), QObject* parent = nullptr);
    // Copies loop, frame duration and frames; starts at frame 0 with no file name and a null picture.
    Xani(const Xani& other);
    // Copies loop, frame duration and frames; keeps this animation's position, file name and picture.
    Xani& operator=(const Xani& other);

    int loop() const { return m_nLoop; }
    void setLoop(int loop) { m_nLoop = loop; }
    int frameDuration() const { return m_nFrameDuration; }
    void setFrameDuration(int duration) { m_nFrameDuration = duration; }
    QString fileName() const { return m_strFileName; }
    bool isRunning() const { return m_timer.isActive(); }

    int count() const { return m_frames.size(); }
    // A default frame when index is out of range.
    XaniImageData frame(int index) const;
    // Returns the new count.
    int appendFrame(const XaniImageData& frame);
    void setFrame(int index, const XaniImageData& frame);
    void clearFrames();
    // Shows frame index (a null picture when out of range) and emits frameChanged().
    void setCurrentIndex(int index);

    // Steps every 1000 ms.
    void start();
    void stop();

    // Writes the animation file; false when a frame cannot be encoded or the file cannot be written.
    bool save(const QString& path, int quality = -1);
    // Reads an animation file's loop, frame duration and frames; false for a malformed file or one whose pictures
    // would decode beyond PictureLimits (nothing changes then; nothing is decoded in that case).
    bool load(const QString& path);
    void setXml(const QString& xml);

signals:
    void frameChanged();

public slots:
    // Shows the next frame, from the first again after the last; stops when there are no frames.
    void nextFrame();

private:
    QString m_strFileName;
    QTimer m_timer;
    int m_nCurrent = 0;
    int m_nLoop = 1;
    int m_nFrameDuration = 1000;
    QVector<XaniImageData> m_frames;
};

} // namespace MGraphX
