#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

QByteArray tagBytes(const MetaTagsBase& tags)
{
    int length = 0;
    char* block = tags.saveId3v2(&length);
    const QByteArray bytes(block, length);
    std::free(block);
    return bytes;
}

// The frames of a tag as (ID, body) pairs, read with syncsafe frame sizes.
QList<QPair<QByteArray, QByteArray>> frames(const QByteArray& tag)
{
    QList<QPair<QByteArray, QByteArray>> result;
    int pos = 10;
    while (pos + 10 <= tag.size()) {
        const int size = (quint8(tag[pos + 4]) << 21) | (quint8(tag[pos + 5]) << 14) | (quint8(tag[pos + 6]) << 7) |
                         quint8(tag[pos + 7]);
        result.append({tag.mid(pos, 4), tag.mid(pos + 10, size)});
        pos += 10 + size;
    }
    return result;
}

QByteArray frameBody(const QByteArray& tag, const char* id)
{
    for (const auto& frame : frames(tag)) {
        if (frame.first == id)
            return frame.second;
    }
    return QByteArray();
}

} // namespace

class TestId3Writer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void testEmptyModel();
    void testSyncsafeSizes_data();
    void testSyncsafeSizes();
    void testFrameBuilders();
    void testFrameOrderAndBodies();
    void testGenreFrame();
    void testPictureMime_data();
    void testPictureMime();
    void testWriteToMp3ReadByTools();
    void testSecondTagStacks();
    void testUnreadableFile();

private:
    void fillModel(TagModel* tags) const;

    QTemporaryDir m_dir;
    QString m_strMp3;
};

void TestId3Writer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_strMp3 = m_dir.filePath("source.mp3");
    QVERIFY(TagKit::ffmpeg({"-f", "lavfi", "-i", "sine=d=2", "-c:a", "libmp3lame", m_strMp3}));
}

void TestId3Writer::cleanup()
{
    QCoreApplication::setApplicationName("Trelvanic");
}

void TestId3Writer::fillModel(TagModel* tags) const
{
    tags->m_strComposer = "Composer";
    tags->m_strGenre = "Rock";
    tags->m_strDiscNumber = "1/2";
    tags->m_strComments = "Comment";
    tags->m_strArtist = "Artist \u00e9";
    tags->m_strTitle = "Title";
    tags->m_strLyricist = "Lyricist";
    tags->m_strSubTitle = "Subtitle";
    tags->m_strCopyright = "Copyright";
    tags->m_strTrackNumber = "3/12";
    tags->m_strYear = "2020";
    tags->m_strAlbum = "Album";
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 40));
    tags->m_imgArtwork = image;
    tags->m_strPicType = "PNG";
}

void TestId3Writer::testEmptyModel()
{
    TagModel tags;
    QCoreApplication::setApplicationName("abc");
    QCOMPARE(tagBytes(tags).toHex(' '),
             QByteArray("49 44 33 04 00 00 00 00 00 0e 54 45 4e 43 00 00 00 04 00 00 03 61 62 63"));
    QCOMPARE(frames(tagBytes(tags)).size(), 1);
    // Qt falls back to the program's name for an empty application name, so the empty body is built directly.
    QCOMPARE(strId3v3(QString()), QByteArray("\x03"));
    QCOMPARE(strId3v3(QString("\u00e9")), QByteArray("\x03\xc3\xa9"));
}

void TestId3Writer::testSyncsafeSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("127") << 127 << QByteArray("0000007f");
    QTest::newRow("128") << 128 << QByteArray("00000100");
    QTest::newRow("200") << 200 << QByteArray("00000148");
    QTest::newRow("300") << 300 << QByteArray("0000022c");
    QTest::newRow("16384") << 16384 << QByteArray("00010000");
}

void TestId3Writer::testSyncsafeSizes()
{
    QFETCH(int, size);
    QFETCH(QByteArray, expected);
    const QByteArray body(size, 'x');
    int length = 0;
    char* frame = MetaTagsBase::id3v3Frame("APIC", body.constData(), static_cast<unsigned long>(size), &length);
    QCOMPARE(length, size + 10);
    QCOMPARE(QByteArray(frame + 4, 4).toHex(), expected);
    std::free(frame);
}

void TestId3Writer::testFrameBuilders()
{
    int length = 0;
    char* block = MetaTagsBase::id3v2Frame("TCONxx", "Rock", 4, &length);
    QCOMPARE(length, 15);
    QCOMPARE(QByteArray(block, length), QByteArray("TCON\x00\x00\x00\x05\x00\x00\x00Rock", 15));
    block = MetaTagsBase::addId3v3Frame(block, "TIT2", "\x03T", 2, &length);
    QCOMPARE(length, 27);
    block = MetaTagsBase::addId3v2Frame(block, "TALB", "A", 1, &length);
    QCOMPARE(length, 39);
    QCOMPARE(QByteArray(block + 15, 24), QByteArray("TIT2\x00\x00\x00\x02\x00\x00\x03T"
                                                    "TALB\x00\x00\x00\x02\x00\x00\x00"
                                                    "A",
                                                    24));
    std::free(block);
    char* alone = MetaTagsBase::id3v3Frame("COMM", "", 0, &length);
    QCOMPARE(length, 10);
    std::free(alone);
}

void TestId3Writer::testFrameOrderAndBodies()
{
    TagModel tags;
    fillModel(&tags);
    tags.m_strAlbumArtist = "not written";
    tags.m_nTempo = 120;
    const QByteArray tag = tagBytes(tags);
    QList<QByteArray> ids;
    for (const auto& frame : frames(tag))
        ids.append(frame.first);
    QCOMPARE(ids, (QList<QByteArray>{"TENC", "TCOM", "TCON", "TPOS", "COMM", "TPE1", "TIT2", "TEXT", "TIT3", "TCOP",
                                     "TRCK", "TYER", "TALB", "APIC"}));
    const int size = (quint8(tag[6]) << 21) | (quint8(tag[7]) << 14) | (quint8(tag[8]) << 7) | quint8(tag[9]);
    QCOMPARE(size, tag.size() - 10);
    QCOMPARE(frameBody(tag, "TPE1"), QByteArray("\x03") + QString("Artist \u00e9").toUtf8());
    QCOMPARE(frameBody(tag, "TRCK"), QByteArray("\x03"
                                                "3/12"));

    TagModel comment;
    comment.m_strComments = "Hi";
    QCOMPARE(frameBody(tagBytes(comment), "COMM").toHex(' '), QByteArray("03 65 6e 67 00 48 69"));
}

void TestId3Writer::testGenreFrame()
{
    TagModel tags;
    tags.m_strGenre = "Rock";
    QCOMPARE(frameBody(tagBytes(tags), "TCON"), QByteArray("\x00Rock", 5));
    for (const char* genre : {"rock", "Indie", ""}) {
        tags.m_strGenre = genre;
        QVERIFY2(frameBody(tagBytes(tags), "TCON").isEmpty(), genre);
    }
}

void TestId3Writer::testPictureMime_data()
{
    QTest::addColumn<QString>("picType");
    QTest::addColumn<QByteArray>("mime");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("JPEG") << "JPEG" << QByteArray("image/jpeg") << QByteArray("jpeg");
    QTest::newRow("PNG") << "PNG" << QByteArray("image/png") << QByteArray("png");
    QTest::newRow("jpeg") << "jpeg" << QByteArray("image/png") << QByteArray("png");
    QTest::newRow("empty") << "" << QByteArray("image/png") << QByteArray("png");
}

void TestId3Writer::testPictureMime()
{
    QFETCH(QString, picType);
    QFETCH(QByteArray, mime);
    QFETCH(QByteArray, format);
    TagModel tags;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    tags.m_imgArtwork = image;
    tags.m_strPicType = picType;
    const QByteArray body = frameBody(tagBytes(tags), "APIC");
    QVERIFY(body.startsWith(QByteArray(1, '\0') + mime + QByteArray(3, '\0')));
    const QByteArray picture = body.mid(1 + mime.size() + 3);
    QBuffer buffer;
    buffer.setData(picture);
    QCOMPARE(QImageReader(&buffer).format(), format);
    QCOMPARE(QImage::fromData(picture).size(), QSize(8, 8));
}

void TestId3Writer::testWriteToMp3ReadByTools()
{
    const QString path = m_dir.filePath("tagged.mp3");
    QFile::remove(path);
    QVERIFY(QFile::copy(m_strMp3, path));
    const QByteArray md5 = TagKit::audioMd5(path);
    QVERIFY(!md5.isEmpty());

    TagModel tags;
    fillModel(&tags);
    int length = 0;
    std::free(tags.saveId3v2(&length));
    QVERIFY(tags.writeTo(path));

    const TestKit::ToolResult result = TagKit::python(
        "import sys\nfrom mutagen.id3 import ID3\nt = ID3(sys.argv[1])\nprint(t.version, t.size)\n"
        "for f in t.values():\n"
        "    if f.FrameID == 'APIC': print('APIC', f.mime, int(f.type), len(f.data))\n"
        "    elif f.FrameID == 'COMM': print('COMM', f.lang, repr(f.desc), f.text[0])\n"
        "    else: print(f.FrameID, str(f))\n",
        {path});
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = QString::fromUtf8(result.out).trimmed().split('\n');
    QCOMPARE(lines.value(0), QString("(2, 4, 0) %1").arg(length));
    for (const QString& expected :
         {QString("TENC Trelvanic"), QString("TCOM Composer"), QString("TCON Rock"), QString("TPOS 1/2"),
          QString("COMM eng '' Comment"), QString("TPE1 Artist \u00e9"), QString("TIT2 Title"), QString("TEXT Lyricist"),
          QString("TIT3 Subtitle"), QString("TCOP Copyright"), QString("TRCK 3/12"), QString("TALB Album")})
        QVERIFY2(lines.contains(expected), qPrintable(expected + " missing in " + lines.join(" | ")));
    QVERIFY2(lines.contains("TDRC 2020") || lines.contains("TYER 2020"), qPrintable(lines.join(" | ")));
    QVERIFY2(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("APIC image/png 0 "); }),
             qPrintable(lines.join(" | ")));

    const QString listed = QString::fromUtf8(TestKit::runTool("mid3v2", {"-l", path}).out);
    for (const char* line : {"TENC=Trelvanic", "TCOM=Composer", "TCON=Rock", "TPOS=1/2", "TIT2=Title", "TEXT=Lyricist",
                             "TIT3=Subtitle", "TCOP=Copyright", "TRCK=3/12", "TALB=Album", "COMM==eng=Comment"})
        QVERIFY2(listed.contains(QLatin1String(line)), qPrintable(listed));

    const QVariantMap probe = TagKit::ffprobeTags(path);
    QCOMPARE(probe.value("title").toString(), QString("Title"));
    QCOMPARE(probe.value("artist").toString(), QString("Artist \u00e9"));
    QCOMPARE(probe.value("album").toString(), QString("Album"));
    QCOMPARE(probe.value("track").toString(), QString("3/12"));

    QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"}).exitCode, 0);
    QCOMPARE(TagKit::audioMd5(path), md5);
    QCOMPARE(QDir(m_dir.path()).entryList({"tagged*"}, QDir::Files), QStringList{"tagged.mp3"});
}

void TestId3Writer::testSecondTagStacks()
{
    const QString path = m_dir.filePath("twice.mp3");
    QFile::remove(path);
    QVERIFY(QFile::copy(m_strMp3, path));
    TagModel first;
    first.m_strTitle = "Old";
    QVERIFY(first.writeToMP3(path));
    const QByteArray once = TagKit::readAll(path);
    TagModel second;
    second.m_strTitle = "New";
    QVERIFY(second.writeToMP3(path));
    const QByteArray twice = TagKit::readAll(path);
    const QByteArray newTag = tagBytes(second);
    QCOMPARE(twice, newTag + once);

    const TestKit::ToolResult result =
        TagKit::python("import sys\nfrom mutagen.id3 import ID3\nprint(ID3(sys.argv[1])['TIT2'])", {path});
    QCOMPARE(QString::fromUtf8(result.out).trimmed(), QString("New"));
    QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"}).exitCode, 0);
}

void TestId3Writer::testUnreadableFile()
{
    TagModel tags;
    tags.m_strTitle = "x";
    const QString missing = m_dir.filePath("missing.mp3");
    QVERIFY(!tags.writeToMP3(missing));
    QVERIFY(!QFile::exists(missing));

    const QString folder = m_dir.filePath("folder.mp3");
    QVERIFY(QDir(m_dir.path()).mkpath("folder.mp3"));
    QVERIFY(!tags.writeTo(folder));
    QVERIFY(QFileInfo(folder).isDir());
}

TRELVANIC_TEST_MAIN(TestId3Writer)
#include "tst_id3writer.moc"
