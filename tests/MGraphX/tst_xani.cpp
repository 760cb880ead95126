#include "ImageOracle.h"
#include "TestMain.h"
#include "Tools.h"

#include <MGraphX/PictureLimits.h>
#include <MGraphX/Xani.h>

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace MGraphX;

namespace {

QImage solid(QRgb colour) { return GraphXTest::filled(5, 4, colour, QImage::Format_RGB32); }

} // namespace

namespace {

XaniImageData frameOf(const QImage& image, const QString& name, const QString& format = "PNG")
{
    XaniImageData frame;
    frame.setImage(image);
    frame.setName(name);
    frame.setFormat(format);
    return frame;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A file whose records all name the one picture of a single-frame animation file.
QByteArray sharedPictureFile(const QByteArray& single, int records)
{
    const int pictures = single.mid(24, 16).trimmed().toInt(nullptr, 16);
    const QByteArray xml = single.mid(60 + pictures);
    const int from = xml.indexOf("<Image"), to = xml.indexOf("</Xani>");
    const QByteArray many = xml.left(from) + xml.mid(from, to - from).repeated(records) + "</Xani>";
    const auto field = [](qint64 n) { return QByteArray::number(n, 16).leftJustified(16, ' '); };
    return "XANI" + field(60 + pictures + many.size()) + "BIND" + field(pictures) + single.mid(40, pictures) + "XMLD" +
           field(many.size()) + many;
}

} // namespace

class TestXani : public QObject
{
    Q_OBJECT

private slots:
    void testEmptyAnimationFile()
    {
        QTemporaryDir dir;
        Xani animation;
        QVERIFY(animation.save(dir.filePath("empty.xani"), -1));
        const QByteArray expected = "XANI79              BIND0               XMLD3d              "
                                    "<Xani loop = \"1\" frameduration=\"1000\" framecount=\"0\">\n</Xani>";
        QCOMPARE(expected.size(), 121);
        QCOMPARE(readAll(dir.filePath("empty.xani")), expected);
    }

    // Every slice the XML names is a complete PNG by pngcheck, back to back from offset 40.
    void testFramesAreCompletePictures()
    {
        QTemporaryDir dir;
        Xani animation;
        animation.appendFrame(frameOf(GraphXTest::samplePicture(31, 17), "a.png"));
        animation.appendFrame(frameOf(GraphXTest::samplePicture(8, 40), "b.png"));
        const QString path = dir.filePath("two.xani");
        QVERIFY(animation.save(path, -1));
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.mid(4, 16).trimmed().toLongLong(nullptr, 16), qint64(bytes.size()));
        const qint64 pictures = bytes.mid(24, 16).trimmed().toLongLong(nullptr, 16);
        QCOMPARE(bytes.mid(40 + pictures, 4), QByteArray("XMLD"));
        const QString xml = QString::fromLatin1(bytes.mid(60 + pictures));
        QVERIFY(xml.startsWith("<Xani loop = \"1\" frameduration=\"1000\" framecount=\"2\">\n<Image index=\"0\" "
                               "name=\"a.png\" format=\"PNG\" duration=\"-1\" background=\"false\">\n  <data "
                               "start=\"40\" size=\""));
        qint64 next = 40;
        auto records = QRegularExpression("<data start=\"(\\d+)\" size=\"(\\d+)\">").globalMatch(xml);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(records.hasNext());
            const QRegularExpressionMatch record = records.next();
            QCOMPARE(record.captured(1).toLongLong(), next);
            const QString slice = dir.filePath(QString("frame%1.png").arg(i));
            QVERIFY(writeAll(slice, bytes.mid(int(next), record.captured(2).toInt())));
            const TestKit::ToolResult check = TestKit::runTool("pngcheck", {slice});
            QVERIFY2(check.exitCode == 0, check.out.constData());
            next += record.captured(2).toLongLong();
        }
        QCOMPARE(next, 40 + pictures);
    }

    void testNamesRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"a&b<c>\"d'e&amp;", "<!SIZE!><!START!>", "Grüße", "日本.png"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    // Names come back as written in Latin-1 ("?" for other characters), markup and markers included.
    void testNamesRoundTrip()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        Xani animation;
        animation.setLoop(3);
        animation.setFrameDuration(250);
        XaniImageData first = frameOf(solid(qRgb(200, 10, 10)), name);
        first.setDuration(40);
        first.setBackground(true);
        animation.appendFrame(first);
        animation.appendFrame(frameOf(solid(qRgb(10, 10, 200)), "second", "BMP"));
        QVERIFY(animation.save(dir.filePath("names.xani"), -1));
        Xani back;
        QVERIFY(back.load(dir.filePath("names.xani")));
        QVERIFY(back.count() == 2 && back.loop() == 3 && back.frameDuration() == 250);
        QCOMPARE(back.frame(0).name(), QString::fromLatin1(name.toLatin1()));
        QVERIFY(back.frame(0).duration() == 40 && back.frame(0).isBackground() && back.frame(0).start() == 40);
        QCOMPARE(back.frame(0).image().convertToFormat(QImage::Format_RGB32), first.image());
        QCOMPARE(back.frame(1).image().convertToFormat(QImage::Format_RGB32), solid(qRgb(10, 10, 200)));
    }

    void testHostileFiles_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("keep"); // bytes kept from the start; -1 for all
        QTest::newRow("valid") << QByteArray() << QByteArray() << -1;
        QTest::newRow("empty") << QByteArray() << QByteArray() << 0;
        QTest::newRow("last byte missing") << QByteArray() << QByteArray() << -2;
        QTest::newRow("file tag") << QByteArray("XANI") << QByteArray("XANJ") << -1;
        QTest::newRow("picture tag") << QByteArray("BIND") << QByteArray("bind") << -1;
        QTest::newRow("xml tag") << QByteArray("XMLD") << QByteArray("XMLX") << -1;
        QTest::newRow("huge xml size") << QByteArray("XMLD") << QByteArray("XMLDfffffffffffffff ") << -1;
        QTest::newRow("huge picture size") << QByteArray("BIND") << QByteArray("BINDfffffffffffffff ") << -1;
        QTest::newRow("unparsable size") << QByteArray("BIND") << QByteArray("BINDzz              ") << -1;
        QTest::newRow("negative size") << QByteArray("BIND") << QByteArray("BIND-1              ") << -1;
        QTest::newRow("total too large") << QByteArray("XANI") << QByteArray("XANIffff            ") << -1;
        QTest::newRow("frame beyond pictures") << QByteArray("start=\"40\"") << QByteArray("start=\"99\"") << -1;
        QTest::newRow("frame not a picture") << QByteArray("format=\"PNG\"") << QByteArray("format=\"XPM\"") << -1;
    }

    // Rewrites a valid two-frame file (from -> to, same length) or cuts it; only the valid one loads.
    void testHostileFiles()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, keep);
        QTemporaryDir dir;
        Xani animation;
        animation.appendFrame(frameOf(solid(qRgb(1, 2, 3)), "a"));
        animation.appendFrame(frameOf(solid(qRgb(4, 5, 6)), "b"));
        const QString path = dir.filePath("x.xani");
        QVERIFY(animation.save(path, -1));
        QByteArray bytes = readAll(path);
        if (!from.isEmpty()) {
            const int at = bytes.indexOf(from);
            QVERIFY(at >= 0);
            bytes.replace(at, to.size(), to);
        }
        if (keep != -1)
            bytes.truncate(keep < 0 ? bytes.size() + keep + 1 : keep);
        QVERIFY(writeAll(path, bytes));
        Xani loaded;
        loaded.appendFrame(frameOf(solid(0), "kept"));
        const bool valid = from.isEmpty() && keep == -1;
        QCOMPARE(loaded.load(path), valid);
        QCOMPARE(loaded.count(), valid ? 2 : 1);
        QVERIFY(!loaded.load(dir.filePath("missing.xani")));
    }

    void testDecodeBounds_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("loads");
        const QSize largest(8192, int(PictureLimits::MaxFramePixels / 8192));
        const int nLargest = int(PictureLimits::MaxLoadPixels / PictureLimits::MaxFramePixels);
        QTest::newRow("largest frames, all a load holds") << largest << nLargest << true;
        QTest::newRow("one row more in a frame") << largest + QSize(0, 1) << 1 << false;
        QTest::newRow("one frame more in a load") << largest << nLargest + 1 << false;
        QTest::newRow("many records of one picture") << QSize(4096, 4096) << 200 << false;
    }

    // Records may all name one picture; beyond the bounds a load fails before it decodes a picture.
    void testDecodeBounds()
    {
        QFETCH(QSize, picture);
        QFETCH(int, records);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        QImage image(picture, QImage::Format_Mono);
        image.fill(1);
        Xani single;
        single.appendFrame(frameOf(image, "one"));
        const QString path = dir.filePath("shared.xani");
        QVERIFY(single.save(path, -1));
        QVERIFY(writeAll(path, sharedPictureFile(readAll(path), records)));
        const bool bReset = TestKit::resetPeakMemory();
        const qint64 nPeakBefore = TestKit::peakMemoryKb();
        Xani loaded;
        if (!loads)
            QTest::ignoreMessage(QtWarningMsg, "Xani: the pictures would decode beyond the limit of one load");
        QCOMPARE(loaded.load(path), loads);
        QCOMPARE(loaded.count(), loads ? records : 0);
        QCOMPARE(loaded.frame(records - 1).image().size(), loads ? picture : QSize(0, 0));
        // Decoding every record of the last row would take 400 MB.
        QVERIFY(loads || !bReset || TestKit::peakMemoryKb() - nPeakBefore < 64 * 1024);
    }

    void testFailedSaveLeavesNoFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("nullImage");
        QTest::addColumn<QString>("file");
        QTest::newRow("no writer") << "XYZ" << false << "x.xani";
        QTest::newRow("null picture") << "PNG" << true << "x.xani";
        QTest::newRow("missing folder") << "PNG" << false << "no/such/folder/x.xani";
    }

    void testFailedSaveLeavesNoFile()
    {
        QFETCH(QString, format);
        QFETCH(bool, nullImage);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        writeAll(path, "earlier");
        Xani animation;
        animation.appendFrame(frameOf(solid(qRgb(1, 2, 3)), "good"));
        animation.appendFrame(frameOf(nullImage ? QImage() : solid(qRgb(1, 2, 3)), "bad", format));
        QVERIFY(!animation.save(path, -1));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QFile::exists(path) ? QStringList{"x.xani"} : QStringList());
        if (QFile::exists(path))
            QCOMPARE(readAll(path), QByteArray("earlier"));
    }

    // Frames 0, 1, 2, 0, 1; an empty list stops the timer without a signal; copies keep the frames and play.
    void testModel()
    {
        Xani animation;
        animation.setLoop(4);
        for (int k = 0; k < 3; ++k)
            animation.appendFrame(frameOf(solid(qRgb(k, 0, 0)), k == 0 ? "one.two.png" : QString::number(k)));
        QCOMPARE(animation.frame(0).baseName(), QString("one"));
        QSignalSpy changed(&animation, SIGNAL(frameChanged()));
        QList<int> shown;
        for (int k = 0; k < 5; ++k) {
            animation.nextFrame();
            shown << qRed(animation.pixel(0, 0));
        }
        QCOMPARE(shown, (QList<int>{0, 1, 2, 0, 1}));
        QCOMPARE(changed.count(), 5);
        const XaniImageData none = animation.frame(5);
        QVERIFY(none.image().isNull() && none.format() == "PNG" && none.duration() == -1);
        QVERIFY(none.start() == -1 && none.size() == -1 && !none.isBackground());

        Xani copy(animation), target;
        target.appendFrame(frameOf(solid(qRgb(5, 0, 0)), "x"));
        target.nextFrame();
        target = animation;
        QVERIFY(copy.isNull() && copy.count() == 3 && copy.loop() == 4);
        QVERIFY(qRed(target.pixel(0, 0)) == 5 && target.count() == 3 && target.loop() == 4);
        QSignalSpy copyChanged(&copy, SIGNAL(frameChanged()));
        copy.start();
        QVERIFY(copyChanged.wait(5000));

        animation.clearFrames();
        animation.start();
        changed.clear();
        animation.nextFrame();
        QVERIFY(!animation.isRunning());
        QCOMPARE(changed.count(), 0);
    }
};

TRELVANIC_TEST_MAIN(TestXani)
#include "tst_xani.moc"
