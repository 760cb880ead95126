#pragma once
// A tiny generated set of source files for whole-application tests, and ffprobe's view of a result.

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace TestKit {

// Makes under root (which must exist):
//   Album/CD1/01 tone.wav  1 s, 48 kHz stereo sine
//   Album/CD2/02.mp3       1 s stereo sine tagged title "Tönë", artist Tester, album Album, track 2/9
//   Album/cover.jpg, Album/notes.txt
//   Loose/clip.mp4         1 s video with an AAC sound track
//   Loose/long.wav         seconds long (when seconds > 0), 44.1 kHz stereo
// Returns false and leaves a message in *error when a tool fails.
bool makeMediaCorpus(const QString& root, QString* error, double longSeconds = 0);

// The format, the number of streams and the audio stream's fields as ffprobe reports them (JSON), with
// "streams" the stream count and "tags" the format tags.
QJsonObject probeMedia(const QString& file);

// Every file below folder, relative to it, sorted.
QStringList filesUnder(const QString& folder);
// The one sub-folder of destination (a run folder) with a trailing "/"; empty unless there is exactly one.
QString onlyRunFolder(const QString& destination);

} // namespace TestKit
