#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

QStringList g_lstLog;

void collect(QtMsgType, const QMessageLogContext&, const QString& message) { g_lstLog.append(message); }

struct LogCapture
{
    LogCapture() : m_previous(qInstallMessageHandler(collect)) { g_lstLog.clear(); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QtMessageHandler m_previous;
};

QByteArray v22Frame(const char* id, const QByteArray& body)
{
    const int size = body.size();
    return QByteArray(id, 3) + char((size >> 16) & 0xFF) + char((size >> 8) & 0xFF) + char(size & 0xFF) + body;
}

// Four bytes of seven bits each, as ID3v2.4 stores sizes.
QByteArray syncSafe(int size)
{
    return QByteArray(1, char((size >> 21) & 0x7F)) + char((size >> 14) & 0x7F) + char((size >> 7) & 0x7F) +
           char(size & 0x7F);
}

QByteArray v24Frame(const char* id, char formatFlags, const QByteArray& body)
{
    return QByteArray(id, 4) + syncSafe(body.size()) + char(0) + formatFlags + body;
}

} // namespace

class TestMetaTagsInfo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strPng;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strPng = m_dir.filePath("cover.png");
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=40x30", "-frames:v", "1", m_strPng}));
    }

    // Listed fields are set or emptied from the dictionary; the others keep their values.
    void testDictionaryFields()
    {
        TagModel tags;
        tags.m_strTitle = "old title";
        tags.m_strAlbumArtist = "AA";
        tags.m_strGrouping = "G";
        tags.m_strDiscNumber = "1/2";
        tags.m_strCreator = "C";
        tags.m_strPicType = "PNG";
        tags.m_bFakeInfo = true;
        tags.m_info.info = {{"artist", "Artist"},  {"track number", "5"},     {"key signature", "C#m"},
                            {"ISRC", "GB0000001"}, {"source encoder", "Enc"}, {"encoding application", "App"}};
        tags.m_info.artworkStatus = AudioFileInfo::StatusUnsupportedProperty;
        QVERIFY(tags.readFromCO("/x.aif"));
        QCOMPARE(tags.m_strInputFile, QString("/x.aif"));
        QCOMPARE(tags.artist() + "|" + tags.trackNumber() + "|" + tags.keySignature() + "|" + tags.isrc() + "|" +
                     tags.sourceEncoder() + "|" + tags.encodingApplication(),
                 QString("Artist|5|C#m|GB0000001|Enc|App"));
        QCOMPARE(tags.tempo(), -1);
        for (const QString& field :
             {tags.title(), tags.album(), tags.approximateDurationInSeconds(), tags.timeSignature(), tags.year(),
              tags.composer(), tags.lyricist(), tags.genre(), tags.recordedDate(), tags.comments(), tags.copyright(),
              tags.nominalBitRate(), tags.channelLayout(), tags.sourceBitDepth(), tags.subTitle()})
            QVERIFY2(field.isEmpty(), qPrintable(field));
        QCOMPARE(tags.m_strAlbumArtist + tags.m_strGrouping + tags.discNumber() + tags.m_strCreator + tags.m_strPicType,
                 QString("AAG1/2CPNG"));
    }

    // A track without "/" stays a plain number (no total), or empty when it is not a number; a tempo that is not a
    // number is -1.
    void testTrackAndTempo()
    {
        const QList<QStringList> cases{
            {"3/12", "120", "3/12", "120"}, {"x", "", "", "-1"}, {QString(), "fast", "", "-1"}, {"7", "0", "7", "0"}};
        for (const QStringList& c : cases) {
            TagModel tags;
            tags.m_bFakeInfo = true;
            if (!c.at(0).isNull())
                tags.m_info.info.insert("track number", c.at(0));
            if (!c.at(1).isEmpty())
                tags.m_info.info.insert("tempo", c.at(1));
            QVERIFY(tags.readFromCO("/x"));
            QCOMPARE(tags.trackNumber(), c.at(2));
            QCOMPARE(tags.tempo(), c.at(3).toInt());
        }
    }

    // No dictionary: fields emptied, the errors and log lines of each failed step, false.
    void testNoDictionary()
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
        QVERIFY(tags.title().isEmpty() && tags.trackNumber().isEmpty());
        QCOMPARE(tags.tempo(), -1);
        QVERIFY(!tags.albumArtwork().isNull());
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors.at(0).at(0).toString(), QString("1954115647 : ExtAudioFileOpenURL failed 'typ?'"));
        QCOMPARE(errors.at(1).at(0).toString(), QString("1954115647 : Couldn't get AudioFileGetPropertyInfo 'typ?'"));
        QCOMPARE(g_lstLog, (QStringList{"AudioFormatGetProperty_ID3TagSize failed", "Error: unknown audio format error",
                                        "AudioFileGetProperty failed for property info dictionary"}));
        QVERIFY(tags.checkResult(0, "nothing"));
        QVERIFY(!tags.checkResult(0x666d743f, "ExtAudioFileOpenURL failed"));
        QVERIFY(!tags.checkResult(-50, "op"));
        QCOMPARE(errors.size(), 4);
        QCOMPARE(errors.at(2).at(0).toString(), QString("1718449215 : ExtAudioFileOpenURL failed 'fmt?'"));
        QCOMPARE(errors.at(3).at(0).toString(), QString("-50 : op"));
        const QVariantMap dictionary{{"album", "A"}};
        QCOMPARE(tags.getData(&dictionary, "album"), QString("A"));
        QCOMPARE(tags.getData(nullptr, "album"), QString());
    }

    void testId3LogLines()
    {
        const QList<QPair<int, QString>> lines{{0x21666d74, "Error: audio format unknown format error"},
                                               {0x2173697a, "Error: audio format bad property size error"},
                                               {0x21737063, "Error: audio format bad specifier size error"},
                                               {0x666d743f, "Error: audio format unsupported data format error"},
                                               {0x70726f70, "Error: audio format unsupported property error"},
                                               {0x77686174, "Error: audio format unspecified error"},
                                               {0x7074793f, "Error: unknown audio format error"}};
        for (const auto& line : lines) {
            TagModel tags;
            tags.m_bFakeInfo = true;
            tags.m_info.id3Status = line.first;
            LogCapture log;
            QVERIFY(tags.readFromCO("/x"));
            QCOMPARE(g_lstLog, (QStringList{"AudioFormatGetProperty_ID3TagSize failed", line.second}));
        }
    }

    // The artwork property first, else the ID3 picture frame ("APIC" before "PIC", the frame's last entry).
    void testArtworkRoads()
    {
        const QByteArray png = MediaKit::readAll(m_strPng);
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
        tags.m_info.artworkStatus = AudioFileInfo::StatusUnsupportedProperty;
        tags.m_info.id3Frames = {{"PIC", QVariantMap{{"a", QVariantMap{{"data", otherPng}}}}}};
        QVERIFY(tags.readFromCO("/x"));
        QCOMPARE(tags.albumArtwork(), other);
        tags.m_info.id3Frames.insert(
            "APIC", QVariantMap{{"0001", QVariantMap{{"data", otherPng}}}, {"0002", QVariantMap{{"data", png}}}});
        QVERIFY(tags.readFromCO("/x"));
        QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
        QCOMPARE(tags.imageDataFromID3Tag({{"APIC", QVariantMap{{"x", QVariantMap{{"MIME", "image/png"}}}}}}),
                 QByteArray());
        tags.m_info.id3Frames.clear();
        QVERIFY(tags.readFromCO("/x"));
        QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
    }

    // metaflac writes only the artist and track "5"; the duration text follows ffprobe.
    void testFlacFile()
    {
        const QString path = m_dir.filePath("only.flac");
        QVERIFY(TestKit::makeTone(path, 1.25, 44100, 2));
        const TestKit::ToolResult tagged =
            TestKit::runTool("metaflac", {"--remove-all-tags", "--set-tag=ARTIST=Flac Artist",
                                          "--set-tag=TRACKNUMBER=5", "--import-picture-from=" + m_strPng, path});
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());

        TagModel tags;
        QSignalSpy errors(&tags, SIGNAL(error(QString)));
        QVERIFY(tags.readFromCO(path));
        QCOMPARE(tags.artist(), QString("Flac Artist"));
        QCOMPARE(tags.trackNumber(), QString("5"));
        QCOMPARE(tags.tempo(), -1);
        QVERIFY(tags.title().isEmpty() && tags.album().isEmpty() && tags.genre().isEmpty() && tags.year().isEmpty());
        QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
        QCOMPARE(tags.channelLayout() + " " + tags.sourceBitDepth(), QString("Stereo I16"));
        const double probed = MediaKit::probeSeconds(path);
        QVERIFY(probed > 1.2);
        QVERIFY2(qAbs(tags.approximateDurationInSeconds().toDouble() - probed) < 0.002,
                 qPrintable(tags.approximateDurationInSeconds()));
        QCOMPARE(tags.approximateDurationInSeconds().section('.', 1).size(), 3);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QString("1886681407 : Couldn't get AudioFileGetPropertyInfo 'pty?'"));
    }

    void testMp3File()
    {
        const QString path = m_dir.filePath("other.mp3");
        QVERIFY(TestKit::makeTone(path, 1, 44100, 1, {"-c:a", "libmp3lame"}));
        const TestKit::ToolResult tagged =
            TagKit::mutagenId3(path, 3, {"TRCK=3/12", "TBPM=120", "TCOM=Composer", "APIC=" + m_strPng});
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
        TagModel tags;
        QSignalSpy errors(&tags, SIGNAL(error(QString)));
        QVERIFY(tags.readFromCO(path));
        QCOMPARE(errors.size(), 0);
        QCOMPARE(tags.trackNumber() + " " + tags.composer() + " " + tags.channelLayout(),
                 QString("3/12 Composer Mono"));
        QCOMPARE(tags.tempo(), 120);
        QVERIFY(tags.nominalBitRate().endsWith(" kbits/s"));
        QCOMPARE(tags.albumArtwork(), QImage(m_strPng));
    }

    // A picture frame that TagLib keeps as an unknown frame (encrypted) is skipped by both readers.
    void testEncryptedPicture_data()
    {
        QTest::addColumn<bool>("realPicture");
        QTest::newRow("encrypted picture only") << false;
        QTest::newRow("a real picture, then an encrypted one") << true;
    }

    void testEncryptedPicture()
    {
        QFETCH(bool, realPicture);
        const QString mp3 = m_dir.filePath("bare.mp3");
        QVERIFY(TestKit::makeTone(mp3, 1, 44100, 1, {"-c:a", "libmp3lame", "-write_xing", "0", "-id3v2_version", "0"}));
        const QByteArray picture = QByteArray("\x00image/png\x00\x03\x00", 13) + MediaKit::readAll(m_strPng);
        const char encrypted = 0x04;
        QByteArray frames = v24Frame("TIT2", 0, QByteArray("\x03Locked", 7));
        if (realPicture)
            frames += v24Frame("APIC", 0, picture);
        frames += v24Frame("APIC", encrypted, char(0x80) + picture);
        const QString path = m_dir.filePath("encrypted.mp3");
        QVERIFY(MediaKit::writeFile(path, QByteArray("ID3\x04\x00\x00", 6) + syncSafe(frames.size()) + frames +
                                              MediaKit::readAll(mp3)));
        QCOMPARE(TagKit::ffprobeTags(path).value("title").toString(), QString("Locked"));

        const QImage expected = realPicture ? QImage(m_strPng) : QImage();
        TagModel info;
        QVERIFY(info.readFromCO(path));
        QCOMPARE(info.title(), QString("Locked"));
        QCOMPARE(info.albumArtwork(), expected);
        TagModel native;
        native.readFrom(path);
        QCOMPARE(native.title(), QString("Locked"));
        QCOMPARE(native.albumArtwork(), expected);
    }

    // A hand-made ID3v2.2 tag with a PIC frame, read by both readers.
    void testId3v22Picture()
    {
        const QString mp3 = m_dir.filePath("plain.mp3");
        QVERIFY(TestKit::makeTone(mp3, 1, 44100, 1, {"-c:a", "libmp3lame", "-write_xing", "0", "-id3v2_version", "0"}));
        const QByteArray frames = v22Frame("TT2", QByteArray("\x00Old Title", 10)) +
                                  v22Frame("PIC", QByteArray("\x00PNG\x00\x00", 6) + MediaKit::readAll(m_strPng));
        QVERIFY(frames.size() < 16384);
        const QByteArray header("ID3\x02\x00\x00\x00\x00", 8);
        const QString path = m_dir.filePath("v22.mp3");
        QVERIFY(MediaKit::writeFile(path, header + char(frames.size() >> 7) + char(frames.size() & 0x7F) + frames +
                                              MediaKit::readAll(mp3)));

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
};

TRELVANIC_TEST_MAIN(TestMetaTagsInfo)
#include "tst_metatagsinfo.moc"
