#include "ModalCloser.h"
#include "TestMain.h"

#include <core/ProductVariant.h>
#include <gui/BatchDialog.h>
#include <gui/ErrorsDialog.h>

#include <VUVararer/App.h>
#include <VUVararer/Label.h>
#include <VUVararer/Widgets/RoundProgress.h>
#include <VUVararer/Widgets/SimpleProgress.h>

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

namespace {

const QString ErrorsText = "One or more errors have occured!";

QPushButton* button(QWidget* dialog, const QString& text)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void store(const char* key, const QVariant& value)
{
    VUVararer::App::theApp()->setSettingsValue(QString::fromLatin1(key), value);
}

QString summary()
{
    BatchDialog dialog;
    dialog.show();
    return dialog.findChild<VUVararer::Label*>("PreviewLabel")->text();
}

} // namespace

class BatchDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        VUVararer::App::theApp()->settings()->clear();
        VUVararer::App::theApp()->setMainWidget(nullptr);
        ProductVariant::reset();
    }

    void testSummaryDefaults()
    {
        QCOMPARE(
            summary(),
            QString("<H2><CENTER>Conversion Settings</CENTER></H2><CENTER> <TABLE>    <TR>        <TD>Sample "
                    "Rate</TD><TD>: 44100 Hz</TD>    </TR>    <TR>        <TD>Bitrate</TD><TD>: 128 kbps</TD>    "
                    "</TR>    <TR>        <TD>Quality</TD><TD>: High</TD>    </TR>    <TR>        <TD>Volume level "
                    "normalization</TD><TD>: ON</TD>    </TR>    <TR>        <TD>Fade In & Out</TD><TD>: OFF</TD>  "
                    "  </TR>    <TR>        <TD>Trim silence from start and end</TD><TD>: OFF</TD>    </TR></TABLE> "
                    "</CENTER>"));
    }

    void testSummaryValues_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("word");
        QTest::newRow("high") << 127 << "High";
        QTest::newRow("medium") << 64 << "Medium";
        QTest::newRow("low") << 0 << "Low";
    }

    void testSummaryValues()
    {
        QFETCH(int, quality);
        QFETCH(QString, word);
        store("KeyQuality", quality);
        store("KeyBitRate", 96000);
        store("KeyNormalizationActive", false);
        store("KeyFadeInOutActive", true);
        const QString text = summary();
        QVERIFY(text.contains("<TD>Quality</TD><TD>: " + word + "</TD>"));
        QVERIFY(text.contains("<TD>: 96 kbps</TD>"));
        QVERIFY(text.contains("normalization</TD><TD>: OFF</TD>") && text.contains("Out</TD><TD>: ON</TD>"));

        ProductVariant::setKind(ProductVariant::Wav);
        store("KeyChanels", 1);
        QVERIFY(summary().contains("<TD>Channels</TD><TD>: 1</TD>") && !summary().contains("kbps"));
    }

    void testStopAndEscape()
    {
        BatchDialog dialog;
        QCOMPARE(dialog.windowTitle(), QCoreApplication::applicationName() + " Batch Process");
        QStringList events;
        connect(&dialog, &QDialog::accepted, [&] { events << "accepted"; });
        connect(&dialog, &BatchDialog::stop, [&] { events << "stop"; });
        dialog.open();
        button(&dialog, "Stop")->click();
        QCOMPARE(events, QStringList({"accepted", "stop"}));

        events.clear();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(events, QStringList({"stop"}));
        QVERIFY(!dialog.isVisible());
    }

    void testPauseAndProgress()
    {
        BatchDialog dialog;
        QSignalSpy paused(&dialog, SIGNAL(paused(bool)));
        dialog.show();
        auto* bar = dialog.findChild<VUVararer::SimpleProgress*>();
        QCOMPARE(bar->text(), QString("ANALYZING"));
        QPushButton* pause = button(&dialog, "Pause");
        QCOMPARE(pause->objectName(), QString("BatchPauseButton"));
        pause->click();
        QCOMPARE(pause->text(), QString("Resume"));
        pause->click();
        QCOMPARE(pause->text(), QString("Pause"));
        QCOMPARE(paused, QList<QVariantList>({{true}, {false}}));

        dialog.slotShowCurrentFile("song.flac");
        dialog.slotFileProgressChanged(40);
        QVERIFY(bar->text() == "song.flac" && bar->value() == 40);
        QTRY_VERIFY(!bar->isAnimating());
        dialog.slotFileProgressChanged(100);
        QCOMPARE(bar->value(), 100);
        dialog.slotProgressChanged(20);
        QVERIFY(bar->value() == 20 && dialog.findChild<VUVararer::RoundProgress*>()->value() == 20);

        pause->click();
        dialog.hide();
        dialog.show();
        QVERIFY(!pause->isChecked() && pause->text() == "Pause" && bar->value() == 0);

        // Stopping for good: no Pause or Stop, and the worker's later file names do not replace the state.
        dialog.slotShowStopping();
        dialog.slotShowCurrentFile("next.flac");
        QVERIFY(!pause->isVisible() && !button(&dialog, "Stop")->isVisible());
        QCOMPARE(bar->text(), QString("STOPPING…"));
    }

    void testErrorsButton()
    {
        for (bool bErrors : {false, true}) {
            BatchDialog dialog;
            dialog.show();
            QVERIFY(!button(&dialog, ErrorsText)->isVisible() && !button(&dialog, "Close")->isVisible());
            if (bErrors)
                dialog.slotSetErrors("Can not read a.mp3\n");
            dialog.slotProgressChanged(100);
            QCOMPARE(button(&dialog, ErrorsText)->isVisible(), bErrors);
            QVERIFY(button(&dialog, "Close")->isVisible());
            QVERIFY(!button(&dialog, "Stop")->isVisible() && !button(&dialog, "Pause")->isVisible());
            QCOMPARE(dialog.findChild<VUVararer::SimpleProgress*>()->text(), QString("DONE"));
        }
    }

    void testErrorsDialogIsDeleted()
    {
        QWidget main;
        VUVararer::App::theApp()->setMainWidget(&main);
        BatchDialog dialog;
        dialog.resize(600, 660);
        dialog.show();
        dialog.slotSetErrors("first error\nsecond error\n");
        for (int i = 0; i < 3; ++i) {
            QString shown;
            QSize size;
            TestKit::ModalCloser closer(
                [&](QWidget* window) {
                    shown = window->findChild<QTextEdit*>("ErrorsText")->toPlainText();
                    size = window->size();
                    QVERIFY(window->parentWidget() == &main && window->windowTitle() == "ERRORS LOG");
                    TestKit::ModalCloser::clickButton(window, "Ok");
                },
                "ErrorsDialog");
            button(&dialog, ErrorsText)->click();
            QVERIFY(closer.hasFired());
            QCOMPARE(shown, QString("first error\nsecond error\n"));
            QCOMPARE(size, QSize(600, 220));
        }
        QCOMPARE(main.findChildren<ErrorsDialog*>().size(), 0);
    }

    void testNotEnoughFreeSpace()
    {
        BatchDialog dialog;
        QSignalSpy paused(&dialog, SIGNAL(paused(bool)));
        dialog.show();
        QString title, text;
        TestKit::ModalCloser closer(
            [&](QWidget* window) {
                auto* box = qobject_cast<QMessageBox*>(window);
                QVERIFY(box && box->windowModality() == Qt::ApplicationModal);
                title = box->windowTitle();
                text = box->text();
                box->button(QMessageBox::Ok)->click();
            },
            "QMessageBox");
        dialog.slotNotEnoughtFreeSpace();
        QVERIFY(closer.hasFired());
        QCOMPARE(title, QString("Not enough free space"));
        QCOMPARE(text, QString("<H3>Not enough free space</H3>Conversion paused.<br>Free up space and click "
                               "\"Resume\".<br>To stop conversion, click \"Stop\"."));
        QCOMPARE(paused.count(), 0);
        QCOMPARE(dialog.findChild<VUVararer::SimpleProgress*>()->text(), QString("NOT ENOUGH FREE SPACE"));
        QPushButton* pause = button(&dialog, "Resume");
        QVERIFY(pause && pause->isChecked());
        pause->click();
        QCOMPARE(paused, QList<QVariantList>({{false}}));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, BatchDialogTest)
#include "tst_batchdialog.moc"
