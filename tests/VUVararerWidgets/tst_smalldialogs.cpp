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

    void testTutorialUrl()
    {
        QCOMPARE(VUVararer::LinkDialog::tutorialUrl("de"),
                 QString("https://site.example.invalid/de/tutorial/tutorial.htm"));
        QCOMPARE(VUVararer::LinkDialog::tutorialUrl("en_US"),
                 QString("https://site.example.invalid/tutorial/tutorial.htm"));
    }

    void testLinkDialog()
    {
        VUVararer::App* app = VUVararer::App::theApp();
        QPointer<VUVararer::LinkDialog> dialog = new VUVararer::LinkDialog;
        QCOMPARE(dialog->windowTitle(), QCoreApplication::applicationName() + " Information");
        auto* remember = dialog->findChild<QCheckBox*>();
        QVERIFY(!remember->isChecked());
        // The choice is stored at once.
        remember->setChecked(true);
        QCOMPARE(app->settingsValue("ShowTutoralDialog", true).toBool(), false);
        remember->setChecked(false);
        QCOMPARE(app->settingsValue("ShowTutoralDialog", false).toBool(), true);

        TestKit::UrlRecorder urls;
        dialog->show();
        TestKit::buttonWithText(dialog, "&Yes")->click();
        QCOMPARE(urls.urls(), QList<QUrl>{QUrl(VUVararer::LinkDialog::tutorialUrl(app->currentLanguage()))});
        QTRY_VERIFY(dialog.isNull());

        app->setSettingsValue("ShowTutoralDialog", false);
        dialog = new VUVararer::LinkDialog;
        QVERIFY(dialog->findChild<QCheckBox*>()->isChecked());
        dialog->show();
        TestKit::buttonWithText(dialog, "&No")->click();
        QCOMPARE(urls.urls().size(), 1);
        QTRY_VERIFY(dialog.isNull());
    }

    void testIndicatorsCloseAndGo()
    {
        QPointer<VUVararer::UpdateIndicationDialog> dialog = new VUVararer::UpdateIndicationDialog;
        QCOMPARE(dialog->closeTimer()->interval(), 10000);
        dialog->show();
        dialog->hide();
        QVERIFY(!dialog->closeTimer()->isActive());
        dialog->closeTimer()->setInterval(50);
        QSignalSpy accepted(dialog.data(), SIGNAL(accepted()));
        dialog->show();
        QTRY_COMPARE(accepted.count(), 1);
        QTRY_VERIFY(dialog.isNull());

        QPointer<VUVararer::WaitLabel> label = new VUVararer::WaitLabel("Please wait");
        QCOMPARE(label->height(), 300);
        label->show();
        label->close();
        QTRY_VERIFY(label.isNull());
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"linkdialog.png", "updateindication.png"}))
            return;
        auto* dialog = new VUVararer::LinkDialog;
        auto* update = new VUVararer::UpdateIndicationDialog;
        update->setText("Checking for updates ...");
        QVERIFY(TestKit::showAndSave(dialog, "linkdialog.png"));
        QVERIFY(TestKit::showAndSave(update, "updateindication.png"));
        dialog->close();
        update->close();
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, SmallDialogsTest)
#include "tst_smalldialogs.moc"
