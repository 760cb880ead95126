#include "DialogProbe.h"
#include "ModalCloser.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/RatingDialog.h>

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::App;
using VUVararer::RateAppStoreDialog;
using VUVararer::RateMailDialog;
using VUVararer::ReminderStateDialog;

namespace {

// Texts of the buttons in the button row (the main layout's third item), in layout order.
QStringList buttonOrder(QDialog* dialog)
{
    QLayout* row = dialog->layout()->itemAt(2)->layout();
    QStringList texts;
    for (int i = 0; i < row->count(); ++i)
        texts << qobject_cast<QPushButton*>(row->itemAt(i)->widget())->text();
    return texts;
}

QString textOf(QDialog* dialog)
{
    return dialog->layout()->itemAt(0)->layout()->itemAt(1)->widget()->property("text").toString();
}

} // namespace

class TestRating : public QObject
{
    Q_OBJECT

private slots:
    void testWasAlreadyCalledFlipsOnFirstConstruction()
    {
        QVERIFY(!RateAppStoreDialog::wasAlreadyCalled());
        RateMailDialog mail;
        QVERIFY(!RateAppStoreDialog::wasAlreadyCalled());
        RateAppStoreDialog dialog;
        QVERIFY(RateAppStoreDialog::wasAlreadyCalled());
    }

    void testAnswers_data()
    {
        QTest::addColumn<bool>("mailDialog");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("state");
        QTest::newRow("store rate") << false << "Rate It Now" << 0;
        QTest::newRow("store later") << false << "Later" << 2;
        QTest::newRow("store never") << false << "Don't ask me again" << 3;
        QTest::newRow("store escape") << false << "" << 4;
        QTest::newRow("mail write") << true << "Write email" << 1;
    }

    void testAnswers()
    {
        QFETCH(bool, mailDialog);
        QFETCH(QString, button);
        QFETCH(int, state);
        std::unique_ptr<ReminderStateDialog> dialog(mailDialog ? static_cast<ReminderStateDialog*>(new RateMailDialog)
                                                               : new RateAppStoreDialog);
        QCOMPARE(dialog->state(), 4);
        ModalCloser closer(
            [&](QWidget* window) {
                if (button.isEmpty())
                    ModalCloser::pressKey(window, Qt::Key_Escape);
                else
                    QVERIFY(ModalCloser::clickButton(window, button));
            },
            "VUVararer::ReminderStateDialog");
        dialog->exec();
        QVERIFY(closer.hasFired());
        QCOMPARE(dialog->state(), state);
    }

    void testTextsAndLayout()
    {
        const bool pocket = TestKit::onScreen();
        QCOMPARE(App::theApp()->isPocketDevice(), pocket);
        RateAppStoreDialog store;
        RateMailDialog mail;
        QCOMPARE(store.windowTitle(), QString("Rate \"Trelvanic\""));
        QCOMPARE(mail.windowTitle(), QString("Feedback about \"Trelvanic\""));
        QCOMPARE(store.findChild<QLabel*>("LogoLabel")->size(), QSize(90, 90));
        QVERIFY(TestKit::buttonWithText(&store, "&Mail")->isHidden());
        if (pocket) {
            QCOMPARE(buttonOrder(&store), (QStringList{"&Mail", "&Rate It Now", "&Later", "&Don't ask me again"}));
            QVERIFY(textOf(&store).startsWith("<CENTER><H3>Enjoying \"Trelvanic\" ?</H3><H4>Please rate the app"));
            QVERIFY(textOf(&mail).startsWith("<CENTER><H4>Please rate it"));
            return;
        }
        QCOMPARE(buttonOrder(&store), (QStringList{"&Don't ask me again", "&Later", "&Rate It Now", "&Mail"}));
        QCOMPARE(buttonOrder(&mail), (QStringList{"&Don't ask me again", "&Later", "&Rate", "&Write email"}));
        QVERIFY(textOf(&store).startsWith("<CENTER><H2>Enjoying \"Trelvanic\" ?</H2><H3>Please rate the app"));
        QVERIFY(textOf(&store).endsWith("<br></H3></CENTER>"));
        // No platform store here: the requests name none.
        QVERIFY(!textOf(&store).contains("store", Qt::CaseInsensitive));
        QVERIFY(!textOf(&mail).contains("store", Qt::CaseInsensitive));
        QCOMPARE(store.layout()->contentsMargins(), QMargins(6, 6, 6, 6));
        QCOMPARE(store.layout()->spacing(), 1);
        // A screen under 480 pixels makes a pocket device.
        const QString failure = TestKit::runOnScreen("testTextsAndLayout", QSize(320, 480));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void testNeverAskHiddenWhenRemindersOff()
    {
        App::theApp()->setSettingsValue("AutoReminder", false);
        {
            RateAppStoreDialog dialog;
            QVERIFY(TestKit::buttonWithText(&dialog, "&Don't ask me again")->isHidden());
        }
        App::theApp()->setSettingsValue("AutoReminder", true);
        RateAppStoreDialog dialog;
        QVERIFY(!TestKit::buttonWithText(&dialog, "&Don't ask me again")->isHidden());
    }
};

TRELVANIC_TEST_MAIN_APP(App, TestRating)
#include "tst_rating.moc"
