#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/AdvancedLabel.h>
#include <MGraphX/XaniWidget.h>

#include <QDir>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using VUVararer::AdvancedLabel;

namespace {

void hover(QWidget& widget, bool in)
{
    QEvent event(in ? QEvent::Enter : QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

// Pixels of colour within the rectangle and outside it.
QPair<int, int> countColour(const QImage& image, QRgb colour, const QRect& rect)
{
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu))
                ++(rect.contains(x, y) ? inside : outside);
    return {inside, outside};
}

} // namespace

class TestAdvancedLabel : public QObject
{
    Q_OBJECT

private slots:
    void testPicture_data()
    {
        QTest::addColumn<bool>("hovered");
        QTest::addColumn<QRgb>("shown");
        QTest::newRow("plain") << false << qRgb(250, 100, 0);
        QTest::newRow("hovered") << true << qRgb(255, 130, 30);
    }

    // A margin of 10 on a 100 x 60 label draws the picture 80 x 40 at (10, 10); hovering brightens it by 30.
    void testPicture()
    {
        QFETCH(bool, hovered);
        QFETCH(QRgb, shown);
        AdvancedLabel label;
        label.resize(100, 60);
        label.setMargin(10);
        label.setBackgroundPixmap(QPixmap::fromImage(GraphXTest::filled(7, 3, qRgb(250, 100, 0))));
        hover(label, hovered);
        QCOMPARE(label.isHovered(), hovered);
        QCOMPARE(label.cursor().shape(), hovered ? Qt::PointingHandCursor : Qt::ArrowCursor);
        const QImage image = label.grab().toImage();
        QCOMPARE(countColour(image, shown, QRect(10, 10, 80, 40)), qMakePair(80 * 40, 0));
        hover(label, false);
        QCOMPARE(countColour(label.grab().toImage(), qRgb(250, 100, 0), QRect(10, 10, 80, 40)), qMakePair(80 * 40, 0));
    }

    // Every press emits clicked(); the gallery of the family (plain, hovered, player) on the dark background is kept
    // under the test artefacts.
    void testClicksAndGallery()
    {
        QWidget gallery;
        gallery.setStyleSheet("background: #202124; color: #e8eaed;");
        gallery.resize(340, 120);
        AdvancedLabel plain(&gallery), hovered(&gallery);
        QCOMPARE(plain.minimumSize(), QSize(16, 16));
        QSignalSpy clicked(&plain, SIGNAL(clicked()));
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            QTest::mousePress(&plain, button);
        QCOMPARE(clicked.count(), 3);
        QImage art(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                art.setPixel(x, y, qRgb(x * 3, 60 + y, 140));
        for (AdvancedLabel* label : {&plain, &hovered}) {
            label->setGeometry(label == &plain ? 10 : 120, 10, 100, 100);
            label->setMargin(6);
            label->setBackgroundPixmap(QPixmap::fromImage(art));
            label->setText(label == &plain ? "Plain label" : "Hovered label");
        }
        hover(hovered, true);
        MGraphX::XaniWidget player(&gallery);
        player.setGeometry(230, 10, 100, 100);
        MGraphX::Xani animation;
        MGraphX::XaniImageData frame;
        frame.setImage(art.mirrored(true, false));
        animation.appendFrame(frame);
        player.load(animation);
        QSignalSpy changed(&player.animation(), SIGNAL(frameChanged()));
        player.play();
        QVERIFY(changed.wait(5000));
        player.stop();
        const QImage shot = gallery.grab().toImage();
        const QString folder = QCoreApplication::applicationDirPath() + "/artefacts";
        QVERIFY(QDir().mkpath(folder) && shot.save(folder + "/advancedlabel_gallery.png"));
        QCOMPARE(shot.pixel(235, 15), art.mirrored(true, false).scaled(100, 100).pixel(5, 5));
        QCOMPARE(qRed(shot.pixel(140, 80)), std::min(255, qRed(shot.pixel(30, 80)) + 30));
        const QImage captioned = plain.grab().toImage();
        plain.setText(QString());
        QVERIFY(plain.grab().toImage() != captioned);
    }
};

TRELVANIC_TEST_MAIN(TestAdvancedLabel)
#include "tst_advancedlabel.moc"
