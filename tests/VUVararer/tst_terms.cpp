#include "ModalCloser.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/LicenseDialog.h>

#include <QPushButton>
#include <QSettings>
#include <QTextEdit>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::App;
using VUVararer::LicenseDialog;

class TestTerms : public QObject
{
    Q_OBJECT

private:
    // The stored agreement as another process would read it from the settings file.
    static QVariant storedAgreement()
    {
        App::theApp()->settings()->sync();
        QSettings file(App::theApp()->settings()->fileName(), QSettings::IniFormat);
        const QString name = QCoreApplication::applicationName();
        return file.value(name + "/" + name + "/License");
    }

private slots:
    void testLayoutAndTexts()
    {
        LicenseDialog dialog;
        dialog.show();
        for (const char* button : {"TopWidgetClose", "TopWidgetMaximize", "TopWidgetMinimize"}) {
            auto* pbtn = dialog.findChild<QPushButton*>(button);
            QVERIFY2(pbtn, button);
            QVERIFY2(!pbtn->isVisible(), button);
        }
        const QString title = QCoreApplication::applicationName() + " License Agreement";
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(dialog.findChild<QLabel*>("TopWidgetTitle")->text(), title);

        auto* text = dialog.findChild<QTextEdit*>();
        QVERIFY(text);
        QVERIFY(text->isReadOnly());
        QVERIFY(text->isVisible());
        QVERIFY(dialog.findChild<QWidget*>("TopOverWidget")->isAncestorOf(text));
        dialog.setHtml("<p>Use it <b>well</b>.</p>");
        QCOMPARE(text->toPlainText(), QString("Use it well."));
        dialog.setHtml("");
        QVERIFY(text->toPlainText().isEmpty());
        // The empty text area is painted white.
        const QImage image = text->viewport()->grab().toImage();
        QCOMPARE(QColor(image.pixel(image.width() / 2, image.height() / 2)), QColor(Qt::white));
    }

    void testRefusalStoresNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Disagree") << false;
        QTest::newRow("Escape") << true;
    }

    void testRefusalStoresNothing()
    {
        QFETCH(bool, escape);
        QVERIFY(!LicenseDialog::isLicenseAccepted());
        LicenseDialog dialog;
        ModalCloser closer(
            [escape](QWidget* window) {
                if (escape)
                    ModalCloser::pressKey(window, Qt::Key_Escape);
                else
                    QVERIFY(ModalCloser::clickButton(window, "Disagree"));
            },
            "VUVararer::LicenseDialog");
        QCOMPARE(dialog.exec(), 0);
        QVERIFY(closer.hasFired());
        QVERIFY(!LicenseDialog::isLicenseAccepted());
        QVERIFY(!storedAgreement().isValid());
        dialog.slotDisagree();
        QVERIFY(!LicenseDialog::isLicenseAccepted());
    }

    void testAgreeIsRemembered()
    {
        QVERIFY(!LicenseDialog::isLicenseAccepted());
        {
            LicenseDialog dialog;
            dialog.setHtml("");
            ModalCloser closer([](QWidget* window) { QVERIFY(ModalCloser::clickButton(window, "Agree")); },
                               "VUVararer::LicenseDialog");
            QCOMPARE(dialog.exec(), 1);
            QVERIFY(closer.hasFired());
        }
        QVERIFY(LicenseDialog::isLicenseAccepted());
        QCOMPARE(storedAgreement(), QVariant("true"));
        // A later refusal does not take the agreement back.
        LicenseDialog dialog;
        ModalCloser closer([](QWidget* window) { QVERIFY(ModalCloser::clickButton(window, "Disagree")); },
                           "VUVararer::LicenseDialog");
        QCOMPARE(dialog.exec(), 0);
        QVERIFY(LicenseDialog::isLicenseAccepted());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestTerms)
#include "tst_terms.moc"
