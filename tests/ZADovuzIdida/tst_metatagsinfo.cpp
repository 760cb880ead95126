#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

QStringList g_lstLog;

void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_lstLog.append(message);
}

struct LogCapture
{
    LogCapture() : m_previous(qInstallMessageHandler(collect)) { g_lstLog.clear(); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QtMessageHandler m_previous;
};

QByteArray syncsafe(int value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (7 * (3 - i))) & 0x7F);
    return bytes;
}

QByteArray v22Frame(const char* id, const QByteArray& body)
{
    const int size = body.size();
    return QByteArray(id, 3) + char((size >> 16) & 0xFF) + char((size >> 8) & 0xFF) + char(size & 0xFF) + body;
}

} // namespace

class TestMetaTagsInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testDictionaryFields();
    void testTrackAndTempo_data();
    void testTrackAndTempo();
    void testNoDictionary();
    void testArtworkRoads();
    void testCheckResult();
    void testId3LogLines_data();
    void testId3LogLines();
    void testFlacFile();
    void testMp3PictureThroughId3();
    void testId3v22Picture();

private:
    QTemporaryDir m_dir;
    QString m_strPng;
};

void TestMetaTagsInfo::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strPng = m_dir.filePath("cover.png");
    QVERIFY(TagKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=40x30", "-frames:v", "1", m_strPng}));
}

void TestMetaTagsInfo::testDictionaryFields()
{
    TagModel tags;
    tags.m_strTitle = "old title";
    tags.m_strAlbumArtist = "AA";
    tags.m_strGrouping = "G";
    tags.m_strDiscNumber = "1/2";
    tags.m_strCreator = "C";
    tags.m_strPicType = "PNG";
    tags.m_bFakeInfo = true;
    tags.m_info.info = {{"artist", "Artist"}, {"track number", "5"}};
    tags.m_info.artworkStatus = AudioFileInfo::StatusUnsupportedProperty;
    QVERIFY(tags.readFromCO("/x.aif"));
    QCOMPARE(tags.m_strInputFile, QString("/x.aif"));
    QCOMPARE(tags.artist(), QString("Artist"));
    QCOMPARE(tags.trackNumber(), QString("5/5"));
    QCOMPARE(tags.tempo(), -1);
    for (const QString& field : {tags.title(), tags.album(), tags.approximateDurationInSeconds(), tags.keySignature(),
                                 tags.timeSignature(), tags.year(), tags.composer(), tags.lyricist(), tags.genre(),
                                 tags.recordedDate(), tags.comments(), tags.copyright(), tags.sourceEncoder(),
                                 tags.encodingApplication(), tags.nominalBitRate(), tags.channelLayout(),
                                 tags.sourceBitDepth(), tags.isrc(), tags.subTitle()})
        QVERIFY2(field.isEmpty(), qPrintable(field));
    QCOMPARE(tags.m_strAlbumArtist, QString("AA"));
    QCOMPARE(tags.m_strGrouping, QString("G"));
    QCOMPARE(tags.discNumber(), QString("1/2"));
    QCOMPARE(tags.m_strCreator, QString("C"));
    QCOMPARE(tags.m_strPicType, QString("PNG"));

    tags.m_info.info = {{"album", "Al"},          {"title", "Ti"},          {"key signature", "C#m"},
                        {"time signature", "3/4"}, {"recorded date", "2001"}, {"ISRC", "GBXXX0000001"},
                        {"subtitle", "Sub"},      {"source encoder", "Enc"}, {"encoding application", "App"}};
    QVERIFY(tags.readFromCO("/x.aif"));
    QCOMPARE(tags.album(), QString("Al"));
    QCOMPARE(tags.title(), QString("Ti"));
    QCOMPARE(tags.keySignature(), QString("C#m"));
    QCOMPARE(tags.timeSignature(), QString("3/4"));
    QCOMPARE(tags.recordedDate(), QString("2001"));
    QCOMPARE(tags.isrc(), QString("GBXXX0000001"));
    QCOMPARE(tags.subTitle(), QString("Sub"));
    QCOMPARE(tags.sourceEncoder(), QString("Enc"));
    QCOMPARE(tags.encodingApplication(), QString("App"));
    QVERIFY(tags.artist().isEmpty());
}

void TestMetaTagsInfo::testTrackAndTempo_data()
{
    QTest::addColumn<QString>("track");
    QTest::addColumn<QString>("tempo");
    QTest::addColumn<QString>("expectedTrack");
    QTest::addColumn<int>("expectedTempo");
    QTest::newRow("pair") << "3/12" << "120" << "3/12" << 120;
    QTest::newRow("letter") << "x" << "" << "" << -1;
    QTest::newRow("missing") << QString() << "fast" << "" << -1;
    QTest::newRow("zero tempo") << "7" << "0" << "7/7" << 0;
}

void TestMetaTagsInfo::testTrackAndTempo()
{
    QFETCH(QString, track);
    QFETCH(QString, tempo);
    QFETCH(QString, expectedTrack);
    QFETCH(int, expectedTempo);
    TagModel tags;
    tags.m_bFakeInfo = true;
    if (!track.isNull())
        tags.m_info.info.insert("track number", track);
    if (!tempo.isEmpty())
        tags.m_info.info.insert("tempo", tempo);
    QVERIFY(tags.readFromCO("/x"));
    QCOMPARE(tags.trackNumber(), expectedTrack);
    QCOMPARE(tags.tempo(), expectedTempo);
}

void TestMetaTagsInfo::testNoDictionary()
{
    TagModel tags;
    tags.m_strTitle = "T";
    tags.m_strTrackNumber = "9";
    tags.m_nTempo = 77;
    tags.m_imgArtwork = QImage(m_strPng);
    tags.m_bFakeInfo = true;
    tags.m_info.openStatus = tags.m_info.id3Status = tags.m_info.infoStatus = tags.m_info.artworkStatus =
        AudioFileInfo::StatusUnsupportedFileType;
    tags.m_info.info = {{"title", "never read"}};
    QSignalSpy errors(&tags, SIGNAL(error(QString)));
    LogCapture log;
    QVERIFY(!tags.readFromCO("/broken"));
    QVERIFY(tags.title().isEmpty());
    QVERIFY(tags.trackNumber().isEmpty());
    QCOMPARE(tags.tempo(), -1);
    QVERIFY(!tags.albumArtwork().isNull());
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors.at(0).at(0).toString(), QString("1954115647 : ExtAudioFileOpenURL failed 'typ?'"));
    QCOMPARE(errors.at(1).at(0).toString(), QString("1954115647 : Couldn't get AudioFileGetPropertyInfo 'typ?'"));
    QCOMPARE(g_lstLog, (QStringList{"AudioFormatGetProperty_ID3TagSize failed", "Error: unknown audio format error",
                                    "AudioFileGetProperty failed for property info dictionary"}));
}

void TestMetaTagsInfo::testArtworkRoads()
{
    const QByteArray png = TagKit::readAll(m_strPng);
    QImage other(8, 8, QImage::Format_RGB32);
    other.fill(Qt::blue);
    QByteArray otherPng;
    QBuffer buffer(&otherPng);
    buffer.open(QIODevice::WriteOnly);
    other.save(&buffer, "PNG");

    TagModel tags;
    tags.m_bFakeInfo = true;
    tags.m_info.artwork = png;
    QVERIFY(tags.readFromCO("/x"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));

    // Without the artwork property: the ID3 picture frame, "APIC" before "PIC", the last entry of the frame.
    tags.m_info.artworkStatus = AudioFileInfo::StatusUnsupportedProperty;
    tags.m_info.id3Frames = {{"PIC", QVariantMap{{"a", QVariantMap{{"data", otherPng}}}}}};
    QVERIFY(tags.readFromCO("/x"));
    QCOMPARE(tags.albumArtwork(), other);
    tags.m_info.id3Frames.insert("APIC", QVariantMap{{"0001", QVariantMap{{"data", otherPng}}},
                                                      {"0002", QVariantMap{{"data", png}}}});
    QVERIFY(tags.readFromCO("/x"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
    QCOMPARE(tags.imageDataFromID3Tag({{"APIC", QVariantMap{{"x", QVariantMap{{"MIME", "image/png"}}}}}}),
             QByteArray());
    QCOMPARE(tags.imageDataFromID3Tag({}), QByteArray());

    // Neither road: the artwork keeps its value.
    tags.m_info.id3Frames.clear();
    QVERIFY(tags.readFromCO("/x"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
}

void TestMetaTagsInfo::testCheckResult()
{
    TagModel tags;
    QSignalSpy errors(&tags, SIGNAL(error(QString)));
    QVERIFY(tags.checkResult(0, "nothing"));
    QCOMPARE(errors.size(), 0);
    QVERIFY(!tags.checkResult(0x666d743f, "ExtAudioFileOpenURL failed"));
    QVERIFY(!tags.checkResult(-50, "Couldn't get AudioFileGetPropertyInfo"));
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors.at(0).at(0).toString(), QString("1718449215 : ExtAudioFileOpenURL failed 'fmt?'"));
    QCOMPARE(errors.at(1).at(0).toString(), QString("-50 : Couldn't get AudioFileGetPropertyInfo"));
    QCOMPARE(tags.getData(nullptr, "album"), QString());
    const QVariantMap dictionary{{"album", "A"}};
    QCOMPARE(tags.getData(&dictionary, "album"), QString("A"));
    QCOMPARE(tags.getData(&dictionary, "title"), QString());
}

void TestMetaTagsInfo::testId3LogLines_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line");
    QTest::newRow("!fmt") << 0x21666d74 << "Error: audio format unknown format error";
    QTest::newRow("!siz") << 0x2173697a << "Error: audio format bad property size error";
    QTest::newRow("!spc") << 0x21737063 << "Error: audio format bad specifier size error";
    QTest::newRow("fmt?") << 0x666d743f << "Error: audio format unsupported data format error";
    QTest::newRow("prop") << 0x70726f70 << "Error: audio format unsupported property error";
    QTest::newRow("what") << 0x77686174 << "Error: audio format unspecified error";
    QTest::newRow("pty?") << 0x7074793f << "Error: unknown audio format error";
}

void TestMetaTagsInfo::testId3LogLines()
{
    QFETCH(int, status);
    QFETCH(QString, line);
    TagModel tags;
    tags.m_bFakeInfo = true;
    tags.m_info.id3Status = status;
    LogCapture log;
    QVERIFY(tags.readFromCO("/x"));
    QCOMPARE(g_lstLog, (QStringList{"AudioFormatGetProperty_ID3TagSize failed", line}));
}

void TestMetaTagsInfo::testFlacFile()
{
    const QString path = m_dir.filePath("only.flac");
    QVERIFY(TestKit::makeTone(path, 1.25, 44100, 2));
    const TestKit::ToolResult tagged =
        TestKit::runTool("metaflac", {"--remove-all-tags", "--set-tag=ARTIST=Flac Artist", "--set-tag=TRACKNUMBER=5",
                                      "--import-picture-from=" + m_strPng, path});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

    TagModel tags;
    QSignalSpy errors(&tags, SIGNAL(error(QString)));
    QVERIFY(tags.readFromCO(path));
    QCOMPARE(tags.artist(), QString("Flac Artist"));
    QCOMPARE(tags.trackNumber(), QString("5/5"));
    QCOMPARE(tags.tempo(), -1);
    QVERIFY(tags.title().isEmpty() && tags.album().isEmpty() && tags.genre().isEmpty() && tags.year().isEmpty());
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
    QCOMPARE(tags.channelLayout(), QString("Stereo"));
    QCOMPARE(tags.sourceBitDepth(), QString("I16"));
    const double probed =
        TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path})
            .out.trimmed()
            .toDouble();
    QVERIFY(probed > 1.2);
    QVERIFY2(qAbs(tags.approximateDurationInSeconds().toDouble() - probed) < 0.002,
             qPrintable(tags.approximateDurationInSeconds()));
    QCOMPARE(tags.approximateDurationInSeconds().section('.', 1).size(), 3);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QString("1886681407 : Couldn't get AudioFileGetPropertyInfo 'pty?'"));
}

void TestMetaTagsInfo::testMp3PictureThroughId3()
{
    const QString path = m_dir.filePath("other.mp3");
    QVERIFY(TestKit::makeTone(path, 1, 44100, 1, {"-c:a", "libmp3lame"}));
    const TestKit::ToolResult tagged = TagKit::python(
        "import sys\nfrom mutagen.id3 import ID3, TRCK, TBPM, TCOM, APIC\nt = ID3()\n"
        "t.add(TRCK(encoding=3, text='3/12'))\nt.add(TBPM(encoding=3, text='120'))\n"
        "t.add(TCOM(encoding=3, text='Composer'))\n"
        "t.add(APIC(encoding=3, mime='image/png', type=0, desc='', data=open(sys.argv[2], 'rb').read()))\n"
        "t.save(sys.argv[1], v2_version=3)\n",
        {path, m_strPng});
    QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
    TagModel tags;
    QSignalSpy errors(&tags, SIGNAL(error(QString)));
    QVERIFY(tags.readFromCO(path));
    QCOMPARE(errors.size(), 0);
    QCOMPARE(tags.trackNumber(), QString("3/12"));
    QCOMPARE(tags.tempo(), 120);
    QCOMPARE(tags.composer(), QString("Composer"));
    QCOMPARE(tags.channelLayout(), QString("Mono"));
    QVERIFY(tags.nominalBitRate().endsWith(" kbits/s"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
}

void TestMetaTagsInfo::testId3v22Picture()
{
    const QString mp3 = m_dir.filePath("plain.mp3");
    QVERIFY(TestKit::makeTone(mp3, 1, 44100, 1, {"-c:a", "libmp3lame", "-write_xing", "0", "-id3v2_version", "0"}));
    const QByteArray png = TagKit::readAll(m_strPng);
    const QByteArray frames = v22Frame("TT2", QByteArray("\x00Old Title", 10)) +
                              v22Frame("PIC", QByteArray("\x00PNG\x00\x00", 6) + png);
    const QByteArray tag = QByteArray("ID3\x02\x00\x00", 6) + syncsafe(frames.size()) + frames;
    const QString path = m_dir.filePath("v22.mp3");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(tag + TagKit::readAll(mp3));
    file.close();

    QCOMPARE(TagKit::ffprobeTags(path).value("title").toString(), QString("Old Title"));
    TagModel tags;
    QVERIFY(tags.readFromCO(path));
    QCOMPARE(tags.title(), QString("Old Title"));
    QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
    TagModel native;
    native.readFrom(path);
    QCOMPARE(native.title(), QString("Old Title"));
    QCOMPARE(native.albumArtwork(), QImage(m_strPng));
}

TRELVANIC_TEST_MAIN(TestMetaTagsInfo)
#include "tst_metatagsinfo.moc"
