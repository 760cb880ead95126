#include "DialogProbe.h"
#include "ModalCloser.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/AboutDialog.h>
#include <VUVararer/App.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::AboutDialog;
using VUVararer::App;

namespace {

class AboutApp : public App
{
public:
    AboutApp(int& argc, char** argv) : App(argc, argv) {}
    void setResourceFolder(const QString& path) { setBundleResourcePath(path); }
};

AboutApp* app() { return static_cast<AboutApp*>(App::theApp()); }

QString infoText(AboutDialog& dialog) { return dialog.findChild<QLabel*>("AboutInfoLabel")->text(); }

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void testInfoText()
    {
        QCoreApplication::setApplicationVersion("1.0.2");
        const QString build = app()->buildDate().toString("dd.MM.yyyy");
        {
            AboutDialog dialog;
            QVERIFY(infoText(dialog).startsWith(
                "<BODY BGCOLOR=#000000><FONT COLOR=#00A0E0 SIZE=2><CENTER>Trelvanic v1.0.2 Build: " + build + "<BR>"));
            QVERIFY(infoText(dialog).contains("<A HREF"));
            QVERIFY(infoText(dialog).endsWith("<BR><IMG SRC=\":/pix/zembrellogo.png\"></CENTER>"));
            QCOMPARE(dialog.windowTitle(), QString("Trelvanic Info"));
            QCOMPARE(int(dialog.windowFlags()), 0x2003001);
        }
        QCoreApplication::setApplicationVersion("");
        app()->setKidsMode(true);
        AboutDialog dialog;
        QVERIFY(infoText(dialog).contains("Trelvanic v Build: " + build));
        QVERIFY(!infoText(dialog).contains("<A HREF"));
        app()->setKidsMode(false);
    }

    void testPages()
    {
        AboutDialog dialog;
        dialog.resize(320, 520);
        QPushButton* legal = TestKit::buttonWithText(&dialog, "&Legal Notices");
        auto* browser = dialog.findChild<QTextBrowser*>("AboutLegalInfo");
        legal->click();
        QCOMPARE(legal->text(), QString("&Back"));
        QVERIFY(!browser->isHidden() && dialog.findChild<QLabel*>("LogoLabel")->isHidden());
        QVERIFY(browser->toPlainText().contains("This Application Uses:"));
        legal->click();
        QCOMPARE(legal->text(), QString("&Legal Notices"));
        QVERIFY(browser->isHidden());
        QCOMPARE(dialog.size(), QSize(320, 520));

        ModalCloser closer(
            [legal](QWidget* window) {
                legal->click();
                QVERIFY(ModalCloser::clickButton(window, "Ok"));
            },
            "VUVararer::AboutDialog");
        dialog.exec();
        QVERIFY(closer.hasFired() && !dialog.isVisible());
        QCOMPARE(legal->text(), QString("&Legal Notices"));
        QVERIFY(!dialog.findChild<QLabel*>("LogoLabel")->isHidden());
    }

    void testExtraNoticesOnce()
    {
        AboutDialog::addLegalNotices("<P><A HREF=\"file://<!bundlepath!>X\">x</A></P>");
        const QString expected = "<P><A HREF=\"file://" + app()->bundleResourcePath() + "X\">x</A></P>";
        {
            AboutDialog first;
        }
        ModalCloser closer([](QWidget* window) { QVERIFY(ModalCloser::clickButton(window, "Ok")); },
                           "VUVararer::AboutDialog");
        app()->slotAbout();
        QVERIFY(closer.hasFired());
        AboutDialog::addLegalNotices("<P>More</P>");
        {
            AboutDialog third;
        }
        QCOMPARE(app()->legalNotices().count(expected), 1);
        QVERIFY(app()->legalNotices().endsWith(expected + "<P>More</P>"));
    }

    void testAnchors()
    {
        QTemporaryDir folder;
        const QByteArray licence = "GNU LESSER GENERAL PUBLIC LICENSE\n\n  <https://fsf.org/>\n  a & b\n";
        QFile file(folder.path() + "/LICENSE.LGPL");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(licence) == licence.size());
        file.close();
        const QString saved = app()->bundleResourcePath();
        app()->setResourceFolder(folder.path());
        TestKit::UrlRecorder recorder;
        AboutDialog dialog;
        dialog.slotAnchorClicked(QUrl::fromLocalFile(folder.path() + "/LICENSE.LGPL"));
        QCOMPARE(dialog.findChild<QTextBrowser*>("AboutLegalInfo")->toPlainText(), QString::fromUtf8(licence));
        QVERIFY(recorder.urls().isEmpty());
        dialog.slotAnchorClicked(QUrl("https://www.qt.io"));
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl("https://www.qt.io")});
        app()->setResourceFolder(saved);
    }

    void testScreenshot()
    {
        if (TestKit::onScreen()) {
            AboutDialog dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::qWait(200);
            QVERIFY(dialog.grab().save(TestKit::shotFolder() + "/about.png"));
            return;
        }
        QTemporaryDir shots;
        const QString failure = TestKit::runOnScreen("testScreenshot", QSize(640, 720), shots.path());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QImage image(shots.path() + "/about.png");
        QVERIFY(image.width() >= 290 && image.height() >= 290 + 87);
        QVERIFY(TestKit::distinctColours(image) > 8);
    }
};

TRELVANIC_TEST_MAIN_APP(AboutApp, TestAbout)
#include "tst_about.moc"
