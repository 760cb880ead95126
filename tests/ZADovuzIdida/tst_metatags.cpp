#include "MetaTagsTestKit.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using TagKit::TagModel;

namespace {

QStringList g_lstMessages;

void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_lstMessages.append(message);
}

} // namespace

class TestMetaTags : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testResetAndAccessors();
    void testGenreLists();
    void testAvailability();
    void testDecodeMp3Pic_data();
    void testDecodeMp3Pic();
    void testImageFromStuffedJpeg_data();
    void testImageFromStuffedJpeg();
    void testImageFromUnsynchronisedBytes();
    void testDump();

private:
    QTemporaryDir m_dir;
};

void TestMetaTags::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestMetaTags::testResetAndAccessors()
{
    TagModel tags;
    QCOMPARE(tags.tempo(), -1);
    QVERIFY(tags.albumArtwork().isNull());
    QVERIFY(tags.title().isEmpty());
    QVERIFY(!tags.isMetaDataAvailable());

    tags.m_strTitle = "T";
    tags.m_strArtist = "A";
    tags.m_strAlbum = "B";
    tags.m_strSubTitle = "S";
    tags.m_strISRC = "I";
    tags.m_strPicType = "PNG";
    tags.m_strInputFile = "/x";
    tags.m_nTempo = 90;
    tags.m_imgArtwork = QImage(4, 4, QImage::Format_RGB32);
    tags.setEncodingApplication("enc");
    QCOMPARE(tags.title(), QString("T"));
    QCOMPARE(tags.artist(), QString("A"));
    QCOMPARE(tags.album(), QString("B"));
    QCOMPARE(tags.subTitle(), QString("S"));
    QCOMPARE(tags.isrc(), QString("I"));
    QCOMPARE(tags.tempo(), 90);
    QCOMPARE(tags.encodingApplication(), QString("enc"));
    QCOMPARE(tags.albumArtwork().size(), QSize(4, 4));

    tags.reset();
    QVERIFY(tags.title().isEmpty() && tags.artist().isEmpty() && tags.album().isEmpty());
    QVERIFY(tags.subTitle().isEmpty() && tags.isrc().isEmpty() && tags.encodingApplication().isEmpty());
    QVERIFY(tags.m_strPicType.isEmpty() && tags.m_strInputFile.isEmpty());
    QCOMPARE(tags.tempo(), -1);
    QVERIFY(tags.albumArtwork().isNull());
    QVERIFY(!tags.isMetaDataAvailable());
    QCOMPARE(tags.id3v1Genres().size(), 126);
    QCOMPARE(tags.tvGenres().size(), 11);
}

void TestMetaTags::testGenreLists()
{
    TagModel tags;
    const QVector<QString>& genres = tags.id3v1Genres();
    QCOMPARE(genres.first(), QString("Blues"));
    QCOMPARE(genres.at(17), QString("Rock"));
    QCOMPARE(genres.at(29), QString("Jazz+Funk"));
    QCOMPARE(genres.at(40), QString("AlternRock"));
    QCOMPARE(genres.at(62), QString("Pop/Funk"));
    QCOMPARE(genres.at(85), QString("Bebob"));
    QCOMPARE(genres.at(100), QString("Humour"));
    QCOMPARE(genres.at(123), QString("A Capella"));
    QCOMPARE(genres.last(), QString("Dance Hall"));
    QCOMPARE(tags.tvGenres().first(), QString("Drama"));
    QCOMPARE(tags.tvGenres().at(7), QString("Sci-Fi & Fantasy"));
    QCOMPARE(tags.tvGenres().last(), QString("Latino TV"));

    // Cross-check the numbering against mutagen's genre table; it spells five names differently.
    const TestKit::ToolResult result =
        TagKit::python("from mutagen._constants import GENRES\nprint('\\n'.join(GENRES[:126]))");
    QCOMPARE(result.exitCode, 0);
    const QStringList reference = QString::fromUtf8(result.out).trimmed().split('\n');
    QCOMPARE(reference.size(), 126);
    const QList<int> spelledOtherwise{40, 59, 84, 85, 123};
    for (int i = 0; i < 126; ++i) {
        if (spelledOtherwise.contains(i))
            QVERIFY2(genres.at(i) != reference.at(i), qPrintable(genres.at(i)));
        else
            QCOMPARE(genres.at(i), reference.at(i));
    }
}

void TestMetaTags::testAvailability()
{
    TagModel tags;
    tags.m_strInputFile = "/a/b.wav";
    tags.m_strPicType = "JPEG";
    QVERIFY(!tags.isMetaDataAvailable());
    tags.m_nTempo = 0;
    QVERIFY(tags.isMetaDataAvailable());
    tags.m_nTempo = -1;
    tags.m_imgArtwork = QImage(1, 1, QImage::Format_RGB32);
    QVERIFY(tags.isMetaDataAvailable());
    tags.m_imgArtwork = QImage();
    tags.m_strSubTitle = "s";
    QVERIFY(tags.isMetaDataAvailable());
    tags.m_strSubTitle.clear();
    tags.m_strAlbumArtist = "aa";
    QVERIFY(tags.isMetaDataAvailable());
}

void TestMetaTags::testDecodeMp3Pic_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("pair") << QByteArray("\xFF\x00\xE0", 3) << QByteArray("\xFF\xE0", 2);
    QTest::newRow("pair then zero") << QByteArray("\xFF\x00\x00", 3) << QByteArray("\xFF\x00", 2);
    QTest::newRow("double FF") << QByteArray("\xFF\xFF\x00", 3) << QByteArray("\xFF\xFF", 2);
    QTest::newRow("zero first") << QByteArray("\x00\xFF", 2) << QByteArray("\x00\xFF", 2);
    QTest::newRow("single") << QByteArray("\xFF", 1) << QByteArray("\xFF", 1);
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestMetaTags::testDecodeMp3Pic()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(MetaTagsBase::decodeMp3Pic(input), expected);
}

void TestMetaTags::testImageFromStuffedJpeg_data()
{
    QTest::addColumn<QString>("size");
    // Removing the stuffing pairs of the small picture still decodes, but to other pixels.
    QTest::newRow("64x48") << "64x48";
    QTest::newRow("320x240") << "320x240";
}

void TestMetaTags::testImageFromStuffedJpeg()
{
    QFETCH(QString, size);
    const QString path = m_dir.filePath("cover" + size + ".jpg");
    QVERIFY(TagKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=s=" + size, "-frames:v", "1", path}));
    const QByteArray jpeg = TagKit::readAll(path);
    QVERIFY(jpeg.contains(QByteArray("\xFF\x00", 2)));
    const QImage reference(path);
    QVERIFY(!reference.isNull());
    QCOMPARE(MetaTagsBase::byteArrayToImage(jpeg, true), reference);
    QCOMPARE(MetaTagsBase::byteArrayToImage(jpeg, false), reference);
    QVERIFY(MetaTagsBase::byteArrayToImage(QByteArray(), true).isNull());
    QVERIFY(MetaTagsBase::byteArrayToImage(QByteArray("no picture"), false).isNull());
}

void TestMetaTags::testImageFromUnsynchronisedBytes()
{
    // A PNG stored with every 0xFF followed by an inserted 0x00 only decodes after the pairs are removed.
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "PNG"));
    QByteArray stuffed;
    for (char c : png) {
        stuffed.append(c);
        if (static_cast<unsigned char>(c) == 0xFF)
            stuffed.append('\0');
    }
    QVERIFY(stuffed.size() > png.size());
    QVERIFY(QImage::fromData(stuffed).isNull());
    QCOMPARE(MetaTagsBase::byteArrayToImage(stuffed, true), QImage::fromData(png));
    QVERIFY(MetaTagsBase::byteArrayToImage(stuffed, false).isNull());
}

void TestMetaTags::testDump()
{
    TagModel tags;
    tags.m_strTitle = "x";
    g_lstMessages.clear();
    QtMessageHandler previous = qInstallMessageHandler(collect);
    tags.dump();
    qInstallMessageHandler(previous);
    QCOMPARE(g_lstMessages.size(), 28);
    QCOMPARE(g_lstMessages.at(0), QString("m_strInputFile: \"\""));
    QCOMPARE(g_lstMessages.at(1), QString("m_strTitle:  \"x\""));
    QCOMPARE(g_lstMessages.at(6), QString("m_nTempo:  -1"));
    QCOMPARE(g_lstMessages.at(26), QString("m_strPicType:  \"\""));
    QCOMPARE(g_lstMessages.at(27), QString("m_strSubTitle:  \"\""));
}

TRELVANIC_TEST_MAIN(TestMetaTags)
#include "tst_metatags.moc"
