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
    for (int pos = 10; pos + 10 <= tag.size();) {
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

void fillModel(TagModel* tags)
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

} // namespace

class TestId3Writer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strMp3;

    QString copyOfSource(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        return QFile::copy(m_strMp3, path) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strMp3 = m_dir.filePath("source.mp3");
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "sine=d=2", "-c:a", "libmp3lame", m_strMp3}));
    }

    void testEmptyModel()
    {
        TagModel tags;
        QCoreApplication::setApplicationName("abc");
        const QByteArray tag = tagBytes(tags);
        QCoreApplication::setApplicationName("Trelvanic");
        QCOMPARE(tag.toHex(' '), QByteArray("49 44 33 04 00 00 00 00 00 0e 54 45 4e 43 00 00 00 04 00 00 03 61 62 63"));
        // Qt falls back to the program's name for an empty application name, so the empty body is built directly.
        QCOMPARE(strId3v3(QString()), QByteArray("\x03"));
        QCOMPARE(strId3v3(QString("\u00e9")), QByteArray("\x03\xc3\xa9"));
    }

    // Frame sizes are syncsafe.
    void testSyncsafeSizes()
    {
        const QList<QPair<int, QByteArray>> sizes{
            {127, "0000007f"}, {128, "00000100"}, {200, "00000148"}, {300, "0000022c"}, {16384, "00010000"}};
        for (const auto& size : sizes) {
            const QByteArray body(size.first, 'x');
            int length = 0;
            char* frame = MetaTagsBase::id3v3Frame("APIC", body.constData(), unsigned(size.first), &length);
            QCOMPARE(length, size.first + 10);
            QCOMPARE(QByteArray(frame + 4, 4).toHex(), size.second);
            std::free(frame);
        }
    }

    // Fixed order, each frame only when set; the genre only when it is an exact ID3v1 name.
    void testFrameOrderAndBodies()
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
        QCOMPARE(frameBody(tag, "TCON"), QByteArray("\x00Rock", 5));

        TagModel other;
        other.m_strComments = "Hi";
        QCOMPARE(frameBody(tagBytes(other), "COMM").toHex(' '), QByteArray("03 65 6e 67 00 48 69"));
        for (const char* genre : {"rock", "Indie"}) {
            other.m_strGenre = genre;
            QVERIFY2(frameBody(tagBytes(other), "TCON").isEmpty(), genre);
        }
    }

    // "image/jpeg" and a JPEG only for the exact type "JPEG", else a PNG.
    void testPictureMime()
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::green);
        for (const QString& picType : QStringList{"JPEG", "PNG", "jpeg"}) {
            TagModel tags;
            tags.m_imgArtwork = image;
            tags.m_strPicType = picType;
            const QByteArray mime = picType == "JPEG" ? "image/jpeg" : "image/png";
            const QByteArray body = frameBody(tagBytes(tags), "APIC");
            QVERIFY(body.startsWith(QByteArray(1, '\0') + mime + QByteArray(3, '\0')));
            QBuffer buffer;
            buffer.setData(body.mid(1 + mime.size() + 3));
            QImageReader reader(&buffer);
            QCOMPARE(reader.format(), mime.mid(6));
            QCOMPARE(reader.read().size(), QSize(8, 8));
        }
    }

    // mutagen, mid3v2 and ffprobe read the tag; the audio packets are untouched and no file is left over.
    void testWriteToMp3ReadByTools()
    {
        const QString path = copyOfSource("tagged.mp3");
        const QByteArray md5 = TagKit::audioMd5(path);
        QVERIFY(!md5.isEmpty());
        TagModel tags;
        fillModel(&tags);
        const int length = tagBytes(tags).size();
        QVERIFY(tags.writeTo(path));

        const TestKit::ToolResult result =
            MediaKit::python("import sys\nfrom mutagen.id3 import ID3\nt = ID3(sys.argv[1])\nprint(t.version, t.size)\n"
                             "for f in t.values():\n"
                             "    if f.FrameID == 'APIC': print('APIC', f.mime, int(f.type))\n"
                             "    elif f.FrameID == 'COMM': print('COMM', f.lang, repr(f.desc), f.text[0])\n"
                             "    else: print(f.FrameID, str(f))\n",
                             {path});
        QCOMPARE(result.exitCode, 0);
        const QStringList lines = QString::fromUtf8(result.out).trimmed().split('\n');
        QCOMPARE(lines.value(0), QString("(2, 4, 0) %1").arg(length));
        for (const char* expected : {"TENC Trelvanic", "TCOM Composer", "TCON Rock", "TPOS 1/2", "COMM eng '' Comment",
                                     "TPE1 Artist \u00e9", "TIT2 Title", "TEXT Lyricist", "TIT3 Subtitle",
                                     "TCOP Copyright", "TRCK 3/12", "TALB Album", "APIC image/png 0"})
            QVERIFY2(lines.contains(QString::fromUtf8(expected)), qPrintable(lines.join(" | ")));
        QVERIFY2(lines.contains("TDRC 2020") || lines.contains("TYER 2020"), qPrintable(lines.join(" | ")));

        const QString listed = QString::fromUtf8(TestKit::runTool("mid3v2", {"-l", path}).out);
        for (const char* line :
             {"TENC=Trelvanic", "TCOM=Composer", "TCON=Rock", "TPOS=1/2", "TIT2=Title", "TEXT=Lyricist",
              "TIT3=Subtitle", "TCOP=Copyright", "TRCK=3/12", "TALB=Album", "COMM==eng=Comment"})
            QVERIFY2(listed.contains(QLatin1String(line)), qPrintable(listed));

        const QVariantMap probe = TagKit::ffprobeTags(path);
        QCOMPARE(probe.value("title").toString() + "|" + probe.value("artist").toString() + "|" +
                     probe.value("album").toString() + "|" + probe.value("track").toString(),
                 QString("Title|Artist \u00e9|Album|3/12"));
        QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"}).exitCode, 0);
        QCOMPARE(TagKit::audioMd5(path), md5);
        QCOMPARE(QDir(m_dir.path()).entryList({"tagged*"}, QDir::Files), QStringList{"tagged.mp3"});
    }

    // A second tag goes in front of the first; readers take the new one and the file still decodes.
    void testSecondTagStacks()
    {
        const QString path = copyOfSource("twice.mp3");
        TagModel first;
        first.m_strTitle = "Old";
        QVERIFY(first.writeToMP3(path));
        const QByteArray once = MediaKit::readAll(path);
        TagModel second;
        second.m_strTitle = "New";
        QVERIFY(second.writeToMP3(path));
        QCOMPARE(MediaKit::readAll(path), tagBytes(second) + once);
        const TestKit::ToolResult result =
            MediaKit::python("import sys\nfrom mutagen.id3 import ID3\nprint(ID3(sys.argv[1])['TIT2'])", {path});
        QCOMPARE(QString::fromUtf8(result.out).trimmed(), QString("New"));
        QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"}).exitCode, 0);
    }

    void testUnreadableFile()
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
};

TRELVANIC_TEST_MAIN(TestId3Writer)
#include "tst_id3writer.moc"
