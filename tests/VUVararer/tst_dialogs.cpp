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
        ModalCloser closer(
            [&seen](QWidget* box) {
                seen = buttonTexts(box);
                QVERIFY(ModalCloser::clickButton(box, "Yes"));
            },
            "VUVararer::MMessageBox");
        QCOMPARE(MMessageBox::question(nullptr, "Title", "Sure?", MMessageBox::Yes | MMessageBox::No), 0x4000);
        QCOMPARE(seen, (QStringList{"No", "Yes"}));

        MMessageBox all(MMessageBox::Warning, "t", "x",
                        0x400 | 0x400000 | 0x10000 | 0x4000 | 0x40000 | 0x80000 | 0x100000 | 0x8000 | 0x20000, nullptr,
                        "Later");
        QCOMPARE(buttonTexts(&all),
                 (QStringList{"Ok", "Cancel", "No", "Yes", "Abort", "Retry", "Ignore", "YesAll", "NoAll", "Later"}));
        QCOMPARE(all.objectName(), QString("MessageBox"));
        QCOMPARE(all.minimumSize(), QSize(300, 200));

        for (int icon : {0, 9}) {
            MMessageBox box(MMessageBox::Icon(icon), "t", "x", 0x400);
            QCOMPARE(iconLabelOf(&box)->size(), QSize(5, 5));
        }
        MMessageBox critical(MMessageBox::Critical, "t", "x", 0x400);
        const QPixmap pixmap = critical.icon(MMessageBox::Critical);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(iconLabelOf(&critical)->size(), pixmap.size() + QSize(5, 5));
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
        ModalCloser closer([press](QWidget* modal) {
            if (press.isEmpty())
                QTest::keyClick(modal, Qt::Key_Escape);
            else
                QVERIFY(ModalCloser::clickButton(modal, press));
        });
        QCOMPARE(box.exec(), result);
    }

    void testStaticBoxesAreDeleted()
    {
        QWidget parent;
        ModalCloser closer([](QWidget* box) { QVERIFY(ModalCloser::clickButton(box, "Ok")); });
        QCOMPARE(MMessageBox::information(&parent, "t", "x", 0x400, 0), 0x400);
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

        // An unknown type keeps the current page.
        VUVararer::InputDialog dialog("label");
        dialog.setType(VUVararer::InputDialog::String);
        dialog.setType(VUVararer::InputDialog::Type(5));
        QCOMPARE(dialog.findChild<QStackedWidget*>()->currentWidget(), dialog.stringWidget());

        // The offscreen desktop is 800 x 600.
        QCOMPARE(VUVararer::CommonStyle::sdp(4.0f), 150);
        QCOMPARE(VUVararer::CommonStyle::sdp(7.0f), 85);
    }

    void testFileDialogs()
    {
        const QString a = m_dir.path() + "/a.txt";
        const QString b = m_dir.path() + "/b.txt";
        for (const QString& path : {a, b})
            touch(path);
        QWidget parent;
        parent.show();
        const auto options = QFileDialog::DontUseNativeDialog;
        // Picks the file through the dialog and records its mode; with a parent it is window-modal.
        QList<int> modes;
        auto choose = [&modes](const QString& file) {
            return [&modes, file](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                modes << dialog->fileMode() << dialog->acceptMode()
                      << (dialog->parentWidget() ? int(dialog->windowModality()) : -1);
                const bool bMany = dialog->fileMode() == QFileDialog::ExistingFiles;
                ModalCloser::answerFileDialog(dialog, bMany ? QString("\"b.txt\" \"a.txt\"") : file);
            };
        };
        QString filter = "untouched";
        {
            ModalCloser closer(choose(b), "QFileDialog");
            QCOMPARE(
                VUVararer::FileDialog::getOpenFileName(&parent, "Open", m_dir.path(), "Text (*.txt)", &filter, options),
                b);
        }
        {
            ModalCloser closer(choose(QString()), "QFileDialog");
            QCOMPARE(
                VUVararer::FileDialog::getOpenFileNames(&parent, "Open", m_dir.path(), QString(), nullptr, options),
                (QStringList{b, a}));
        }
        const QString fresh = m_dir.path() + "/new.m4a";
        {
            ModalCloser closer(choose(fresh), "QFileDialog");
            QCOMPARE(VUVararer::FileDialog::getSaveFileName(&parent, "Save", m_dir.path(), QString(), nullptr, options),
                     fresh);
        }
        QCOMPARE(filter, QString("untouched"));
        const int modal = Qt::WindowModal;
        QCOMPARE(modes,
                 (QList<int>{QFileDialog::ExistingFile, QFileDialog::AcceptOpen, modal, QFileDialog::ExistingFiles,
                             QFileDialog::AcceptOpen, modal, QFileDialog::AnyFile, QFileDialog::AcceptSave, modal}));
        QTRY_VERIFY(parent.findChildren<QFileDialog*>().isEmpty());

        // Without a parent the selected filter comes back.
        ModalCloser closer(
            [a](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                QVERIFY(!dialog->parentWidget());
                dialog->selectNameFilter("Text (*.txt)");
                ModalCloser::answerFileDialog(dialog, a);
            },
            "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(nullptr, "Open", m_dir.path(), "All (*);;Text (*.txt)", &filter,
                                                        options),
                 a);
        QCOMPARE(filter, QString("Text (*.txt)"));

        // Cancelled, or the parent destroyed while the dialog waits: an empty answer and no second deletion.
        ModalCloser canceller([](QWidget* modal) { qobject_cast<QFileDialog*>(modal)->reject(); }, "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(&parent, "Open", m_dir.path(), QString(), nullptr, options),
                 QString());
        auto* doomed = new QWidget;
        doomed->show();
        ModalCloser killer([doomed](QWidget*) { delete doomed; }, "QFileDialog");
        QCOMPARE(VUVararer::FileDialog::getOpenFileName(doomed, "Open", m_dir.path(), QString(), nullptr, options),
                 QString());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestDialogs)
#include "tst_dialogs.moc"
