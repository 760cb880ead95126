#include "TestMain.h"

#include <ZADovuzIdida/MediaCommon.h>

using ZADovuzIdida::MediaCommon;

class TestMediaCommon : public QObject
{
    Q_OBJECT

private slots:
    // Suffix tests on the lower-cased whole path: video before audio before image before document.
    void testMediaType()
    {
        const QList<QPair<QString, int>> cases{{"/music/Song.MP3", 0}, {"/clips/CLIP.MOV", 1}, {"/a/movie.ts", 1},
                                               {"/a/voice.mp4", 1},    {"/a/x.m4v", 1},        {"/a/x.m4a", 0},
                                               {"/a/book.M4B", 0},     {"/a/track.flac", 0},   {"/a/x.AIFF", 0},
                                               {"/a/x.awb", 0},        {"/a/notes.TXT", 4},    {"/a/x.docx", 4},
                                               {"/a/cover.JPEG", 2},   {"/a/x.xpm", 2},        {"/a/archive.zip", 5},
                                               {"/a/mp3", 5},          {"/a.mp3/readme", 5},   {"", 5},
                                               {"/a/x.wav.zip", 5},    {"/a/x.zip.wav", 0},    {"/x.3ga", 0},
                                               {"/x.3gp", 1},          {"/x.3g2", 1}};
        for (const auto& c : cases) {
            const QString& path = c.first;
            QVERIFY2(MediaCommon::mediaType(path) == c.second, qPrintable(path));
            QCOMPARE(MediaCommon::isAudio(path), c.second == 0);
            QCOMPARE(MediaCommon::isVideo(path), c.second == 1);
            QCOMPARE(MediaCommon::isImage(path), c.second == 2);
            QCOMPARE(MediaCommon::isDocument(path), c.second == 4);
            QVERIFY(MediaCommon::isPlayable(path));
        }
        QVERIFY(MediaCommon::flacIsAudio());
    }

    void testMsecsToString()
    {
        const QList<QPair<long long, QString>> cases{
            {0, "00:00:00"}, {3723999, "01:02:03"}, {59999, "00:00:59"},        {86399999, "23:59:59"},
            {86400000, ""},  {-1500, ""},           {9000000000000000000LL, ""}};
        for (const auto& c : cases)
            QCOMPARE(MediaCommon::msecsToString(c.first), c.second);
    }
};

TRELVANIC_TEST_MAIN(TestMediaCommon)
#include "tst_mediacommon.moc"
