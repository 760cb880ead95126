#include "ModalCloser.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/CommonStyle.h>
#include <VUVararer/FileDialog.h>
#include <VUVararer/InputDialog.h>
#include <VUVararer/MMessageBox.h>

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::MMessageBox;

namespace {

QStringList buttonTexts(QWidget* box)
{
    // The button row is the second item of the box's layout.
    QLayout* row = box->layout()->itemAt(1)->layout();
    QStringList texts;
    for (int i = 0; i < row->count(); ++i)
        if (auto* button = qobject_cast<QPushButton*>(row->itemAt(i)->widget()))
            texts << button->text();
    return texts;
}

QLabel* iconLabelOf(QWidget* box)
{
    return qobject_cast<QLabel*>(box->layout()->itemAt(0)->layout()->itemAt(0)->widget());
}

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void testMessageBoxButtons()
    {
        QStringList seen;
        ModalCloser closer([&seen](QWidget* box) {
            seen = buttonTexts(box);
            QVERIFY(ModalCloser::clickButton(box, "Yes"));
        }, "VUVararer::MMessageBox");
        QCOMPARE(MMessageBox::question(nullptr, "Title", "Sure?", MMessageBox::Yes | MMessageBox::No), 0x4000);
        QCOMPARE(seen, (QStringList{"No", "Yes"}));

        MMessageBox all(MMessageBox::Warning, "t", "x", 0x400 | 0x400000 | 0x10000 | 0x4000 | 0x40000 | 0x80000 |
                                                          0x100000 | 0x8000 | 0x20000,
                        nullptr, "Later");
        QCOMPARE(buttonTexts(&all), (QStringList{"Ok", "Cancel", "No", "Yes", "Abort", "Retry", "Ignore", "YesAll",
                                                 "NoAll", "Later"}));
        for (QPushButton* button : all.findChildren<QPushButton*>()) {
            QCOMPARE(button->objectName(), QString("PushButton"));
            QCOMPARE(button->minimumHeight(), 32);
        }
        QCOMPARE(all.objectName(), QString("MessageBox"));
        QCOMPARE(all.minimumSize(), QSize(300, 200));
        QCOMPARE(all.windowTitle(), QString("t"));
    }

    void testMessageBoxResults_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("result");
        QTest::newRow("Ok") << "Ok" << 0x400;
        QTest::newRow("Later") << "Later" << 0x10000000;
        QTest::newRow("Escape") << "" << 0;
    }

    void testMessageBoxResults()
    {
        QFETCH(QString, press);
        QFETCH(int, result);
        MMessageBox box(MMessageBox::Information, "t", "text", 0x400, nullptr, "Later");
        QCOMPARE(buttonTexts(&box), (QStringList{"Ok", "Later"}));
        ModalCloser closer([press](QWidget* modal) {
            if (press.isEmpty())
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                QVERIFY(ModalCloser::clickButton(modal, press));
        });
        QCOMPARE(box.exec(), result);
    }

    void testMessageBoxIcons()
    {
        for (int icon : {0, 9}) {
            MMessageBox box(MMessageBox::Icon(icon), "t", "x", 0x400);
            QCOMPARE(iconLabelOf(&box)->size(), QSize(5, 5));
            QVERIFY(box.icon(MMessageBox::Icon(icon)).isNull());
        }
        MMessageBox box(MMessageBox::Critical, "t", "x", 0x400);
        const QPixmap pixmap = box.icon(MMessageBox::Critical);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(iconLabelOf(&box)->size(), pixmap.size() + QSize(5, 5));
        QVERIFY(!box.icon(MMessageBox::Question).isNull());
    }

    void testStaticBoxesAreDeleted()
    {
        QWidget parent;
        ModalCloser closer([](QWidget* box) { QVERIFY(ModalCloser::clickButton(box, "Ok")); });
        QCOMPARE(MMessageBox::information(&parent, "t", "x", 0x400, 0), 0x400);
        QVERIFY(parent.findChildren<MMessageBox*>().isEmpty());
        ModalCloser second([](QWidget* box) { QVERIFY(ModalCloser::clickButton(box, "Ok")); });
        QCOMPARE(MMessageBox::warning(&parent, "t", "x", 0x400, 0), 0x400);
        QVERIFY(parent.findChildren<MMessageBox*>().isEmpty());

        // The parent going away while the box runs ends it with 0.
        auto* doomed = new QWidget;
        ModalCloser killer([doomed](QWidget*) { delete doomed; });
        QCOMPARE(MMessageBox::critical(doomed, "t", "x", 0x400, 0), 0);
    }

    void testInputDialog()
    {
        int startValue = -1;
        ModalCloser closer([&startValue](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QString("InputDialog"));
            auto* spin = dialog->findChild<QSpinBox*>();
            startValue = spin->value();
            spin->setValue(700);
            QVERIFY(ModalCloser::clickButton(dialog, "Ok"));
        });
        bool ok = false;
        QCOMPARE(VUVararer::InputDialog::getInteger(nullptr, "Count", "How many?", 150, 0, 1000, 1, &ok), 700);
        QVERIFY(ok);
        QCOMPARE(startValue, 150);

        ModalCloser typer([](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>();
            QCOMPARE(edit->text(), QString("start"));
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            edit->setText("typed");
            QVERIFY(ModalCloser::clickButton(dialog, "Cancel"));
        });
        ok = true;
        QCOMPARE(VUVararer::InputDialog::getText(nullptr, "Name", "Who?", QLineEdit::Password, "start", &ok),
                 QString("typed"));
        QVERIFY(!ok);

        VUVararer::InputDialog dialog("label");
        auto* stack = dialog.findChild<QStackedWidget*>();
        QCOMPARE(stack->currentWidget(), dialog.valueWidget());
        QCOMPARE(dialog.stringWidget()->height(), 32);
        dialog.setType(VUVararer::InputDialog::String);
        QCOMPARE(stack->currentWidget(), dialog.stringWidget());
        dialog.setType(VUVararer::InputDialog::Type(5));
        QCOMPARE(int(dialog.type()), 5);
        QCOMPARE(stack->currentWidget(), dialog.stringWidget());
    }

    void testCommonStyle()
    {
        // The offscreen desktop is 800 x 600.
        QCOMPARE(VUVararer::App::theApp()->smallestDimention(), 600);
        QCOMPARE(VUVararer::CommonStyle::sdp(4.0f), 150);
        QCOMPARE(VUVararer::CommonStyle::sdp(7.0f), 85);
        QCOMPARE(VUVararer::CommonStyle().cssStyle(), QString());
    }

    void testFileDialogWithParent()
    {
        const QString a = m_dir.path() + "/a.txt";
        const QString b = m_dir.path() + "/b.txt";
        const QString c = m_dir.path() + "/c.txt";
        for (const QString& path : {a, b, c})
            touch(path);
        QWidget parent;
        parent.show();
        const auto options = QFileDialog::DontUseNativeDialog;

        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        ModalCloser opener([&mode, b](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            mode = dialog->fileMode();
            QCOMPARE(dialog->windowModality(), Qt::WindowModal);
            dialog->selectFile(b);
            QMetaObject::invokeMethod(dialog, "accept");
        }, "QFileDialog");
        QString filter = "untouched";
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(&parent, "Open", m_dir.path(), "Text (*.txt)", &filter,
                                                        options),
                 b);
        QCOMPARE(mode, QFileDialog::ExistingFile);
        QCOMPARE(filter, QString("untouched"));

        ModalCloser canceller([](QWidget* modal) { qobject_cast<QFileDialog*>(modal)->reject(); }, "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(&parent, "Open", m_dir.path(), QString(), nullptr, options),
                 QString());

        ModalCloser many([](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"c.txt\" \"a.txt\" \"b.txt\"");
            QMetaObject::invokeMethod(dialog, "accept");
        }, "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getOpenFileNames(&parent, "Open", m_dir.path(), QString(), nullptr, options),
                 (QStringList{c, a, b}));

        const QString fresh = m_dir.path() + "/new.m4a";
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        ModalCloser saver([&acceptMode, &mode, fresh](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            acceptMode = dialog->acceptMode();
            mode = dialog->fileMode();
            dialog->selectFile(fresh);
            QMetaObject::invokeMethod(dialog, "accept");
        }, "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getSaveFileName(&parent, "Save", m_dir.path(), QString(), nullptr, options),
                 fresh);
        QCOMPARE(acceptMode, QFileDialog::AcceptSave);
        QCOMPARE(mode, QFileDialog::AnyFile);
        QTRY_VERIFY(parent.findChildren<QFileDialog*>().isEmpty());

        // The parent destroyed while the dialog waits: an empty answer and no second deletion.
        auto* doomed = new QWidget;
        doomed->show();
        ModalCloser killer([doomed](QWidget*) { delete doomed; }, "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(doomed, "Open", m_dir.path(), QString(), nullptr, options),
                 QString());
    }

    void testFileDialogWithoutParent()
    {
        const QString a = m_dir.path() + "/a.txt";
        touch(a);
        ModalCloser closer([a](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(!dialog->parentWidget());
            dialog->selectNameFilter("Text (*.txt)");
            dialog->selectFile(a);
            QMetaObject::invokeMethod(dialog, "accept");
        }, "QFileDialog");
        QString filter;
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(nullptr, "Open", m_dir.path(), "All (*);;Text (*.txt)",
                                                        &filter, QFileDialog::DontUseNativeDialog),
                 a);
        QCOMPARE(filter, QString("Text (*.txt)"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestDialogs)
#include "tst_dialogs.moc"
