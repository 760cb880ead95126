#include "ImageOracle.h"
#include "TestMain.h"
#include "Tools.h"

#include <MGraphX/DrawTools.h>
#include <MGraphX/PictureLimits.h>

#include <QPainter>
#include <QtEndian>
#include <QTemporaryDir>
#include <QtTest>

using namespace MGraphX;

class TestDataUrls : public QObject
{
    Q_OBJECT

private slots:
    void testReferenceDecoding_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("PNG") << "PNG";
        QTest::newRow("JPG") << "JPG";
    }

    // Python's base64 module decodes the payload to the very bytes the encoder writes; pngcheck accepts a PNG.
    void testReferenceDecoding()
    {
        QFETCH(QString, format);
        const QImage picture = GraphXTest::samplePicture(23, 17);
        const QString url = DrawTools::imageToBase64(picture, format, -1);
        const QString prefix = "data:image/" + format.toLower() + ";base64,";
        QVERIFY(url.startsWith(prefix));
        QTemporaryDir dir;
        const QString out = dir.filePath("payload");
        const TestKit::ToolResult decoded = TestKit::runTool(
            "python3",
            {"-c", "import base64,sys; open(sys.argv[2],'wb').write(base64.b64decode(sys.argv[1], validate=True))",
             url.mid(prefix.size()), out});
        QVERIFY2(decoded.exitCode == 0, decoded.err.constData());
        QByteArray expected;
        QBuffer buffer(&expected);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, format.toLatin1().constData()));
        QFile bytes(out);
        QVERIFY(bytes.open(QIODevice::ReadOnly));
        QCOMPARE(bytes.readAll(), expected);
        QCOMPARE(TestKit::runTool("pngcheck", {out}).exitCode == 0, format == "PNG");
        const QImage back = DrawTools::imageFromBase64(url);
        QCOMPARE(back.size(), picture.size());
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32) == picture, format == "PNG");
    }

    void testMalformedUrls_data()
    {
        const QString png = DrawTools::imageToBase64(GraphXTest::samplePicture(4, 3), "PNG", -1);
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("as written") << png << true;
        QTest::newRow("upper-case markers") << png.toUpper() << false;
        QTest::newRow("no image marker") << QString(png).replace(":image/", ":imag/") << false;
        QTest::newRow("no base64 marker") << QString(png).replace(";base64,", ";b64,") << false;
        QTest::newRow("empty payload") << "data:image/png;base64," << false;
        QTest::newRow("garbage payload") << "data:image/png;base64,!!!!AAAA" << false;
    }

    void testMalformedUrls()
    {
        QFETCH(QString, text);
        QFETCH(bool, decodes);
        QCOMPARE(!DrawTools::imageFromBase64(text).isNull(), decodes);
    }

    void testAnnouncedSize_data()
    {
        QTest::addColumn<QSize>("announced");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("within the limit") << QSize(64, 48) << true;
        QTest::newRow("one row beyond it") << QSize(8192, int(PictureLimits::MaxFramePixels / 8192) + 1) << false;
        QTest::newRow("over 2 GB") << QSize(30000, 20000) << false;
    }

    // A JPEG of 23 x 17 pixels whose header announces another size: the decoder would trust it.
    void testAnnouncedSize()
    {
        QFETCH(QSize, announced);
        QFETCH(bool, decodes);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && GraphXTest::samplePicture(23, 17).save(&buffer, "JPG"));
        const int frame = jpeg.indexOf("\xFF\xC0");
        QVERIFY(frame > 0);
        qToBigEndian(quint16(announced.height()), jpeg.data() + frame + 5);
        qToBigEndian(quint16(announced.width()), jpeg.data() + frame + 7);
        const bool bReset = TestKit::resetPeakMemory();
        const qint64 nPeakBefore = TestKit::peakMemoryKb();
        const QImage image =
            DrawTools::imageFromBase64("data:image/jpg;base64," + QString::fromLatin1(jpeg.toBase64()));
        QCOMPARE(image.size(), decodes ? announced : QSize(0, 0));
        if (!decodes && !bReset)
            QSKIP("the peak memory cannot be reset here (/proc/self/clear_refs): the allocation is not measured");
        QVERIFY(decodes || TestKit::peakMemoryKb() - nPeakBefore < 64 * 1024);
    }

    void testRealPreview()
    {
        const QImage picture = GraphXTest::samplePicture(40, 30);
        QCOMPARE(DrawTools::realPreview(picture, "PNG", -1).convertToFormat(QImage::Format_RGB32), picture);
        const QImage jpeg = DrawTools::realPreview(picture, "JPEG", 10);
        QCOMPARE(jpeg.size(), picture.size());
        QVERIFY(GraphXTest::meanError(jpeg, picture) > 1.0);
        QVERIFY(DrawTools::realPreview(picture, "XYZ", -1).isNull());
    }

    // An empty text gives a shadow 15 and a face 12 wide at the position; the painter comes back as it was given.
    void testBadge()
    {
        QImage canvas = GraphXTest::filled(60, 40, 0);
        QPainter painter(&canvas);
        painter.setOpacity(0.25);
        painter.setPen(Qt::red);
        DrawTools::drawInfo(&painter, QPoint(5, 5), QString(), QFont("DejaVu Sans", 9), Qt::blue, true, 1.0f);
        QVERIFY(painter.opacity() == 0.25 && painter.pen().color() == Qt::red);
        QVERIFY(!painter.testRenderHint(QPainter::Antialiasing));
        painter.end();
        const int middle = 5 + QFontMetrics(QFont("DejaVu Sans", 9)).height() / 2;
        int covered = 0;
        for (int x = 0; x < canvas.width(); ++x)
            covered += qAlpha(canvas.pixel(x, middle)) > 0 ? 1 : 0;
        QVERIFY(covered >= 13 && covered <= 16 && qAlpha(canvas.pixel(3, middle)) == 0);
    }
};

TRELVANIC_TEST_MAIN(TestDataUrls)
#include "tst_dataurls.moc"
