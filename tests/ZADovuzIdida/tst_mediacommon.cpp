#include "TestMain.h"

#include <ZADovuzIdida/MediaCommon.h>

using ZADovuzIdida::MediaCommon;

class TestMediaCommon : public QObject
{
    Q_OBJECT

private slots:
    void testMediaType_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::newRow("upper mp3") << "/music/Song.MP3" << 0;
        QTest::newRow("lower mp3") << "/music/song.mp3" << 0;
        QTest::newRow("upper mov") << "/clips/CLIP.MOV" << 1;
        QTest::newRow("ts") << "/a/movie.ts" << 1;
        QTest::newRow("mp4 always video") << "/a/voice.mp4" << 1;
        QTest::newRow("m4v") << "/a/x.m4v" << 1;
        QTest::newRow("m4a") << "/a/x.m4a" << 0;
        QTest::newRow("m4b") << "/a/book.M4B" << 0;
        QTest::newRow("m4r") << "/a/ring.m4r" << 0;
        QTest::newRow("flac") << "/a/track.flac" << 0;
        QTest::newRow("aiff") << "/a/x.AIFF" << 0;
        QTest::newRow("au") << "/a/x.au" << 0;
        QTest::newRow("awb") << "/a/x.awb" << 0;
        QTest::newRow("txt") << "/a/notes.TXT" << 4;
        QTest::newRow("docx") << "/a/x.docx" << 4;
        QTest::newRow("htm") << "/a/x.htm" << 4;
        QTest::newRow("jpeg") << "/a/cover.JPEG" << 2;
        QTest::newRow("tiff") << "/a/x.tiff" << 2;
        QTest::newRow("xpm") << "/a/x.xpm" << 2;
        QTest::newRow("zip") << "/a/archive.zip" << 5;
        QTest::newRow("bare name") << "/a/mp3" << 5;
        QTest::newRow("suffix only in folder") << "/a.mp3/readme" << 5;
        QTest::newRow("empty") << "" << 5;
        QTest::newRow("wav.zip") << "/a/x.wav.zip" << 5;
        QTest::newRow("zip.wav") << "/a/x.zip.wav" << 0;
    }

    void testMediaType()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QCOMPARE(MediaCommon::mediaType(path), kind);
        QCOMPARE(MediaCommon::isAudio(path), kind == 0);
        QCOMPARE(MediaCommon::isVideo(path), kind == 1);
        QCOMPARE(MediaCommon::isImage(path), kind == 2);
        QCOMPARE(MediaCommon::isDocument(path), kind == 4);
        QVERIFY(MediaCommon::isPlayable(path));
    }

    void testNeverThree()
    {
        const QStringList suffixes{"avi", "mp4", "wav", "jpg", "doc", "xyz", "3ga", "3gp", "3g2"};
        for (const QString& suffix : suffixes)
            QVERIFY(MediaCommon::mediaType("/x." + suffix) != 3);
        QVERIFY(MediaCommon::flacIsAudio());
    }

    void testMsecsToString_data()
    {
        QTest::addColumn<qlonglong>("msecs");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0LL << "00:00:00";
        QTest::newRow("1h 2m 3.999s") << 3723999LL << "01:02:03";
        QTest::newRow("59.999s") << 59999LL << "00:00:59";
        QTest::newRow("last second of a day") << 86399999LL << "23:59:59";
        QTest::newRow("one day") << 86400000LL << "";
        QTest::newRow("negative") << -1500LL << "";
        QTest::newRow("huge") << 9000000000000000000LL << "";
    }

    void testMsecsToString()
    {
        QFETCH(qlonglong, msecs);
        QFETCH(QString, text);
        const long long value = msecs;
        QCOMPARE(MediaCommon::msecsToString(value), text);
    }
};

TRELVANIC_TEST_MAIN(TestMediaCommon)
#include "tst_mediacommon.moc"
