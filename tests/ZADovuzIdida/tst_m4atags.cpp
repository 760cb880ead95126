#include "MetaTagsTestKit.h"
#include "InjectedFaults.h"
#include "SelfRun.h"
#include "TestMain.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

// mutagen's view of an MP4 file: one "key value" line per item, covers as "covr <format> <bytes>".
QStringList mp4Items(const QString& path)
{
    const TestKit::ToolResult result = MediaKit::python(
        "import sys\nfrom mutagen.mp4 import MP4, MP4Cover\nm = MP4(sys.argv[1])\n"
        "for k, v in sorted((m.tags or {}).items()):\n"
        "    if k == 'covr': print('covr', 'jpeg' if v[0].imageformat == MP4Cover.FORMAT_JPEG else 'png', len(v[0]))\n"
        "    else: print(k, v[0])\n",
        {path});
    if (result.exitCode != 0)
        return {"mutagen failed: " + QString::fromUtf8(result.err)};
    return QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
}

QByteArray jpegOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", -1);
    return bytes;
}

MetaItem findItem(const MetaItemList& items, const QString& key)
{
    for (const MetaItem& item : items) {
        if (NativeMetaTags::keyString(item.key) == key)
            return item;
    }
    return MetaItem();
}

} // namespace

class TestM4aTags : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strSource;
    QString m_strPng;

    QString makeTarget(const QString& name, int frequency = 440)
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        return TestKit::makeTone(path, 1.5, 44100, 2, {"-c:a", "aac"}, nullptr, frequency) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strPng = m_dir.filePath("cover.png");
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48", "-frames:v", "1", m_strPng}));
        m_strSource = m_dir.filePath("source.m4a");
        QVERIFY(TestKit::makeTone(m_strSource, 1, 44100, 2, {"-c:a", "aac"}));
        const TestKit::ToolResult tagged = TagKit::mutagenMp4(
            m_strSource, {"@nam=Title", "@ART=Artist", "@alb=Album", "@wrt=Composer", "@day=2021", "@gen=Jazz",
                          "@cmt=Comment", "@grp=Group", "@too=Encoder", "cprt=(c) Someone", "trkn=3/12", "disk=1/2",
                          "tmpo=120", "aART=Not copied", "covr=" + m_strPng});
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
    }

    void testNormalizedTrackDiscNumber()
    {
        const QList<QPair<QString, QString>> cases{{"3/12", "3/12"}, {"5", "5/0"},   {"3/", "3/0"}, {"/12", "0/12"},
                                                   {"1/2/3", "1/3"}, {"a/b", "0/0"}, {"x", "0/0"},  {"", "0/0"}};
        for (const auto& c : cases)
            QCOMPARE(TagModel().normalizedTrackDiscNumber(c.first), c.second);
    }

    void testCountPairBytes()
    {
        TagModel tags;
        QCOMPARE(tags.countPair("3/12", 8).toHex(' '), QByteArray("00 00 00 03 00 0c 00 00"));
        QCOMPARE(tags.countPair("5", 8).toHex(' '), QByteArray("00 00 00 05 00 00 00 00"));
        QCOMPARE(tags.countPair("1/2", 6).toHex(' '), QByteArray("00 00 00 01 00 02"));
        QCOMPARE(tags.countPair("x", 6).toHex(' '), QByteArray("00 00 00 00 00 00"));
        QCOMPARE(tags.countPair("65539/1", 8).toHex(' '), QByteArray("00 00 00 03 00 01 00 00"));
    }

    // Only set fields become items; tempo 0 is written, -1 is not; the first rule naming an item decides.
    void testItemRules()
    {
        TagModel tags;
        QVERIFY(tags.m4aItems(tags.builtInTemplate()).isEmpty());
        tags.m_nTempo = 0;
        tags.m_strGrouping = "Live";
        MetaItemList items = tags.m4aItems(tags.builtInTemplate());
        QCOMPARE(items.size(), 2);
        QCOMPARE(findItem(items, "tmpo").value, QVariant(0));
        QCOMPARE(findItem(items, "@grp").value, QVariant(QString("Live")));

        MetaItem odd;
        odd.key = fourCC(char(0xA9), 'w', 'r', 't');
        odd.commonKey = "artist";
        tags.m_strComposer = "Composer";
        QVERIFY(tags.m4aItems({odd}).isEmpty());
        tags.m_strArtist = "Artist";
        QCOMPARE(tags.m4aItems({odd}).value(0).value, QVariant(QString("Artist")));
    }

    // Two covers whose JPEGs have the same length stay apart.
    void testEachFileItsOwnCover()
    {
        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(qRgb(250, 0, 0));
        QImage blue(16, 16, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 250));
        QCOMPARE(jpegOf(red).size(), jpegOf(blue).size());
        QVERIFY(jpegOf(red) != jpegOf(blue));
        const QString second = makeTarget("second.m4a");
        for (const auto& pair : {qMakePair(makeTarget("first.m4a"), red), qMakePair(second, blue)}) {
            TagModel tags;
            tags.m_imgArtwork = pair.second;
            QCOMPARE(findItem(tags.m4aItems(tags.builtInTemplate()), "covr").value.toByteArray(), jpegOf(pair.second));
            QVERIFY(tags.writeTo(pair.first));
        }
        TagModel readBack;
        readBack.readFrom(second);
        QCOMPARE(readBack.m_strPicType, QString("JPEG"));
        const QRgb pixel = readBack.albumArtwork().pixel(8, 8);
        QVERIFY2(qBlue(pixel) > 200 && qRed(pixel) < 50, qPrintable(QString::number(pixel, 16)));
    }

    // mutagen, ffprobe and mediainfo see the copied tags; audio, duration, permissions and a neighbour stay as
    // they were.
    void testCopyIntoM4a()
    {
        const QString target = makeTarget("my.song.m4a", 660);
        QVERIFY(!target.isEmpty());
        QVERIFY(QFile::setPermissions(target, QFileDevice::Permissions(0x6444)));
        const QString neighbour = m_dir.filePath("my.song_temp.m4a");
        QVERIFY(QFile::copy(m_strSource, neighbour));
        const QByteArray neighbourBytes = MediaKit::readAll(neighbour);
        const QByteArray md5 = TagKit::audioMd5(target);
        const QString length = MediaKit::probe("format=duration", target);
        QVERIFY(!md5.isEmpty());

        TagModel tags;
        QVERIFY(tags.copyAVAssets(m_strSource, target));

        QCOMPARE(mp4Items(target),
                 (QStringList{"covr jpeg " + QString::number(jpegOf(QImage(m_strPng)).size()), "cprt (c) Someone",
                              "disk (1, 2)", "tmpo 120", "trkn (3, 12)", "\u00a9ART Artist", "\u00a9alb Album",
                              "\u00a9cmt Comment", "\u00a9day 2021", "\u00a9gen Jazz", "\u00a9grp Group",
                              "\u00a9nam Title", "\u00a9too Encoder", "\u00a9wrt Composer"}));
        const QVariantMap probe = TagKit::ffprobeTags(target);
        const QList<QPair<QString, QString>> expected{
            {"title", "Title"},    {"artist", "Artist"},        {"album", "Album"}, {"track", "3/12"},
            {"disc", "1/2"},       {"genre", "Jazz"},           {"date", "2021"},   {"composer", "Composer"},
            {"grouping", "Group"}, {"copyright", "(c) Someone"}};
        for (const auto& tag : expected)
            QCOMPARE(probe.value(tag.first).toString(), tag.second);
        const QString info = QString::fromUtf8(
            TestKit::runTool("mediainfo", {"--Inform=General;%Title%|%Album%|%Composer%|%Grouping%|%Track/Position%/"
                                           "%Track/Position_Total%",
                                           target})
                .out.trimmed());
        QCOMPARE(info, QString("Title|Album|Composer|Group|3/12"));

        QCOMPARE(TagKit::audioMd5(target), md5);
        QCOMPARE(MediaKit::probe("format=duration", target), length);
        QCOMPARE(MediaKit::readAll(neighbour), neighbourBytes);
        QCOMPARE(QDir(m_dir.path()).entryList({"my.song_temp*"}), QStringList{"my.song_temp.m4a"});
        QCOMPARE(int(QFileInfo(target).permissions() & 0x0FFF), 0x0644);
    }

    // An ID3 source gives the genre name, the track without a total and a JPEG cover.
    void testMp3SourceIntoM4a()
    {
        const QString source = m_dir.filePath("source.mp3");
        QVERIFY(TestKit::makeTone(source, 1, 44100, 2, {"-c:a", "libmp3lame"}));
        const TestKit::ToolResult tagged =
            TagKit::mutagenId3(source, 4, {"TIT2=Mp3 Title", "TRCK=7", "TCON=17", "APIC=" + m_strPng});
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
        const QString target = makeTarget("frommp3.m4a");
        TagModel tags;
        QVERIFY(tags.readFrom(source));
        QVERIFY(tags.writeTo(target));
        QCOMPARE(mp4Items(target).replaceInStrings(QRegularExpression("^(covr jpeg) \\d+$"), "\\1"),
                 (QStringList{"covr jpeg", "trkn (7, 0)", "\u00a9gen Rock", "\u00a9nam Mp3 Title"}));
    }

    // A source track or disc number without a total keeps the total unknown in the M4A.
    void testTrackWithoutTotal_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("mp3 alone") << "mp3" << QStringList{"TRCK=3", "TPOS=1"}
                                   << QStringList{"disk (1, 0)", "trkn (3, 0)"};
        QTest::newRow("flac alone") << "flac" << QStringList{"TRACKNUMBER=3", "DISCNUMBER=1"}
                                    << QStringList{"disk (1, 0)", "trkn (3, 0)"};
        QTest::newRow("flac with totals") << "flac" << QStringList{"TRACKNUMBER=3", "TRACKTOTAL=9", "DISCNUMBER=1"}
                                          << QStringList{"disk (1, 0)", "trkn (3, 9)"};
    }

    void testTrackWithoutTotal()
    {
        QFETCH(QString, suffix);
        QFETCH(QStringList, tags);
        QFETCH(QStringList, items);
        const QString source = m_dir.filePath("numbered." + suffix);
        QFile::remove(source);
        QVERIFY(TestKit::makeTone(source, 0.5, 44100, 1));
        TestKit::ToolResult tagged;
        if (suffix == "mp3") {
            tagged = TagKit::mutagenId3(source, 4, tags);
        } else {
            QStringList args{"--remove-all-tags"};
            for (const QString& tag : tags)
                args << "--set-tag=" + tag;
            tagged = TestKit::runTool("metaflac", args << source);
        }
        QVERIFY2(tagged.exitCode == 0, tagged.err.constData());
        const QString target = makeTarget("numbered.m4a");
        TagModel model;
        QVERIFY(model.readFrom(source));
        QVERIFY(model.writeTo(target));
        QCOMPARE(mp4Items(target), items);
    }

    // writeTo puts ID3 in front of an MP3 (by suffix, any case) and MP4 items into anything else.
    void testWriteToDispatch()
    {
        const QString mp3 = m_dir.filePath("Song.MP3");
        QVERIFY(TestKit::makeTone(mp3, 0.5, 44100, 1, {"-c:a", "libmp3lame", "-f", "mp3"}));
        TagModel tags;
        tags.m_strTitle = "Dispatched";
        QVERIFY(tags.writeTo(mp3));
        QVERIFY(MediaKit::readAll(mp3).startsWith("ID3\x04"));
        const QString other = makeTarget("song.mp4");
        QVERIFY(tags.writeTo(other));
        QCOMPARE(mp4Items(other), QStringList{"\u00a9nam Dispatched"});
    }

    // A failed write reports false, keeps the target untouched and leaves no temporary file.
    void testFailuresKeepTarget()
    {
        const QString target = makeTarget("keep.m4a");
        const QByteArray before = MediaKit::readAll(target);
        QVERIFY(!TagModel().writeTo(target));
        QCOMPARE(MediaKit::readAll(target), before);

        TagModel tags;
        tags.m_strTitle = "x";
        const QString notMp4 = m_dir.filePath("wave.m4a");
        QVERIFY(TestKit::makeTone(notMp4, 0.5, 44100, 1, {"-f", "wav"}));
        const QByteArray wave = MediaKit::readAll(notMp4);
        QVERIFY(!tags.writeTo(notMp4));
        QCOMPARE(MediaKit::readAll(notMp4), wave);
        QVERIFY(!tags.writeTo(m_dir.filePath("missing.m4a")));
        QVERIFY(!QFile::exists(m_dir.filePath("missing.m4a")));
        QCOMPARE(QDir(m_dir.path()).entryList({"wave_temp*", "missing_temp*", "keep_temp*"}), QStringList());
    }

    // Only a lyricist: available, but the target ends with no items at all and still decodes.
    void testOnlyLyricist()
    {
        const QString target = makeTarget("lyricist.m4a");
        QVERIFY(!mp4Items(target).isEmpty());
        TagModel tags;
        tags.m_strLyricist = "Lyricist";
        QVERIFY(tags.isMetaDataAvailable());
        QVERIFY(tags.writeTo(target));
        QCOMPARE(mp4Items(target), QStringList());
        QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", target, "-f", "null", "-"}).exitCode, 0);
    }

    void testModeRefused_data() { TestKit::addModeRefusedRows(); }

    // Where the drive refuses every change of a file's mode, the tags are still written.
    void testModeRefused()
    {
        QFETCH(int, error);
        const QString childFolder = qEnvironmentVariable("M4ATAGS_MODE_CHILD");
        if (!childFolder.isEmpty()) {
            const QString target = childFolder + "moded.m4a";
            QVERIFY(TestKit::makeTone(target, 1, 44100, 2, {"-c:a", "aac"}));
            QVERIFY(::chmod(QFile::encodeName(target).constData(), 0644) != 0 && errno == error);
            TagModel tags;
            tags.m_strTitle = "Moded";
            QVERIFY(tags.writeTo(target));
            QCOMPARE(mp4Items(target), QStringList{"\u00a9nam Moded"});
            return;
        }
        const QString folder = m_dir.filePath(QString("moded/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        const TestKit::ToolResult child = TestKit::runSelf({QString("testModeRefused:") + QTest::currentDataTag()},
                                                           TestKit::refusedCalls(folder, TestKit::modeRefused(error)) +
                                                               QStringList{"M4ATAGS_MODE_CHILD=" + folder});
        QVERIFY2(child.exitCode == 0, child.out.constData());
    }
};

TRELVANIC_TEST_MAIN(TestM4aTags)
#include "tst_m4atags.moc"
