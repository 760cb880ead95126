#include "DialogProbe.h"
#include "Gallery.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>
#include <VUVararer/Widgets/LinkDialog.h>
#include <VUVararer/Widgets/WaitIndicators.h>

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class SmallDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        VUVararer::Endpoints endpoints = VUVararer::Endpoints::defaults();
        endpoints.m_strProductSite = "https://site.example.invalid";
        VUVararer::Endpoints::setOverride(endpoints);
    }

    void testTutorialUrl_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("url");
        QTest::newRow("de") << "de"
                            << "https://site.example.invalid/de/tutorial/tutorial.htm";
        QTest::newRow("en_US") << "en_US"
                               << "https://site.example.invalid/tutorial/tutorial.htm";
        QTest::newRow("ru") << "ru"
                            << "https://site.example.invalid/ru/tutorial/tutorial.htm";
    }

    void testTutorialUrl()
    {
        QFETCH(QString, language);
        QFETCH(QString, url);
        QCOMPARE(VUVararer::LinkDialog::tutorialUrl(language), url);
    }

    void testLinkDialog()
    {
        VUVararer::App* app = VUVararer::App::theApp();
        QPointer<VUVararer::LinkDialog> dialog = new VUVararer::LinkDialog;
        QCOMPARE(dialog->windowTitle(), QCoreApplication::applicationName() + " Information");
        auto* remember = dialog->findChild<QCheckBox*>();
        QVERIFY(!remember->isChecked());
        remember->setChecked(true);
        QCOMPARE(app->settingsValue("ShowTutoralDialog", true).toBool(), false);
        remember->setChecked(false);
        QCOMPARE(app->settingsValue("ShowTutoralDialog", false).toBool(), true);

        TestKit::UrlRecorder urls;
        dialog->show();
        TestKit::buttonWithText(dialog, "&Yes")->click();
        QCOMPARE(urls.urls().size(), 1);
        QVERIFY(urls.urls().at(0).toString().endsWith("tutorial/tutorial.htm"));
        QTRY_VERIFY(dialog.isNull());

        app->setSettingsValue("ShowTutoralDialog", false);
        dialog = new VUVararer::LinkDialog;
        QVERIFY(dialog->findChild<QCheckBox*>()->isChecked());
        dialog->show();
        TestKit::buttonWithText(dialog, "&No")->click();
        QCOMPARE(urls.urls().size(), 1);
        QTRY_VERIFY(dialog.isNull());
    }

    void testUpdateIndicationClosesItself()
    {
        QPointer<VUVararer::UpdateIndicationDialog> dialog = new VUVararer::UpdateIndicationDialog;
        QCOMPARE(dialog->closeTimer()->interval(), 10000);
        dialog->setText("Checking for updates");
        dialog->show();
        QVERIFY(dialog->closeTimer()->isActive());
        dialog->hide();
        QVERIFY(!dialog->closeTimer()->isActive());

        dialog->closeTimer()->setInterval(50);
        QSignalSpy accepted(dialog.data(), SIGNAL(accepted()));
        dialog->show();
        QTRY_COMPARE(accepted.count(), 1);
        QTRY_VERIFY(dialog.isNull());
    }

    void testWaitLabel()
    {
        QPointer<VUVararer::WaitLabel> label = new VUVararer::WaitLabel("Please wait");
        QCOMPARE(label->height(), 300);
        QVERIFY(qAbs(label->windowOpacity() - 0.5) < 0.01);
        label->show();
        label->close();
        QTRY_VERIFY(label.isNull());
    }

    void testGallery()
    {
        if (!TestKit::onScreen()) {
            const QString failure = TestKit::runGallery("testGallery", {"linkdialog.png", "updateindication.png"});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        TestKit::useDarkStyle();
        auto* dialog = new VUVararer::LinkDialog;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto* update = new VUVararer::UpdateIndicationDialog;
        update->setText("Checking for updates ...");
        update->show();
        QVERIFY(QTest::qWaitForWindowExposed(update));
        auto* wait = new VUVararer::WaitLabel("Please wait");
        wait->show();
        QVERIFY(QTest::qWaitForWindowExposed(wait));
        QTest::qWait(100);
        QVERIFY(TestKit::saveShot(dialog, "linkdialog.png"));
        QVERIFY(TestKit::saveShot(update, "updateindication.png"));
        QVERIFY(TestKit::saveShot(wait, "waitlabel.png"));
        for (QWidget* window : QList<QWidget*>{dialog, update, wait})
            window->close();
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, SmallDialogsTest)
#include "tst_smalldialogs.moc"
