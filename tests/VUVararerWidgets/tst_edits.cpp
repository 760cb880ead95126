#include "DialogProbe.h"
#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/Widgets/DirView.h>
#include <VUVararer/Widgets/EmailEdit.h>
#include <VUVararer/Widgets/EventFilters.h>
#include <VUVararer/Widgets/ListWidgetItem.h>
#include <VUVararer/Widgets/SearchFilter.h>

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtTest>

namespace {

int whitePixels(const QImage& image)
{
    int nWhite = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nWhite += image.pixelColor(x, y).lightness() > 200 ? 1 : 0;
    return nWhite;
}

} // namespace

class EditsTest : public QObject
{
    Q_OBJECT

private slots:
    void testEmailEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "anna.berg@example.org" << true;
        QTest::newRow("sub-domain and dash") << "a_b-c@mail.example.info" << true;
        QTest::newRow("numeric end") << "root@10.0.0.1" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("leading blank") << " anna@example.org" << false;
        QTest::newRow("trailing text") << "anna@example.org and more" << false;
        QTest::newRow("name before") << "Anna <anna@example.org>" << false;
        QTest::newRow("no at") << "anna.example.org" << false;
        QTest::newRow("no domain dot") << "anna@localhost" << false;
    }

    void testEmailEdit()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        VUVararer::EmailEdit edit;
        auto* email = edit.findChild<QPushButton*>("EmailEditButton");
        auto* card = edit.findChild<QPushButton*>("CardEditButton");
        QVERIFY(!email->isEnabled() && !card->isEnabled());
        edit.setText(text);
        QCOMPARE(email->isEnabled(), valid);
        QCOMPARE(card->isEnabled(), valid);

        // Typing gives the same verdict, and the buttons hand the address on.
        VUVararer::EmailEdit typed;
        QSignalSpy changed(&typed, SIGNAL(textChanged(QString)));
        QSignalSpy mail(&typed, SIGNAL(sendEmail(QString))), ecard(&typed, SIGNAL(sendECard(QString)));
        QTest::keyClicks(typed.findChild<QLineEdit*>(), text);
        QCOMPARE(changed.count(), text.size());
        typed.findChild<QPushButton*>("EmailEditButton")->click();
        typed.findChild<QPushButton*>("CardEditButton")->click();
        QCOMPARE(mail.count(), valid ? 1 : 0);
        QCOMPARE(ecard.count(), valid ? 1 : 0);
        if (valid)
            QCOMPARE(mail.at(0).at(0).toString(), text);
    }

    void testSearchFilter()
    {
        VUVararer::SearchFilter filter;
        filter.resize(200, 24);
        filter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&filter));
        auto* clear = filter.findChild<QPushButton*>("SearchFilterDel");
        QVERIFY(clear->isHidden());
        // The hint is painted in white while empty.
        QPalette palette = filter.palette();
        palette.setColor(QPalette::Base, Qt::black);
        filter.setPalette(palette);
        const int nHint = whitePixels(filter.grab().toImage());
        QVERIFY(nHint > 10);

        QTest::keyClicks(&filter, "ab");
        QVERIFY(!clear->isHidden());
        QVERIFY(whitePixels(filter.grab().toImage()) < nHint);
        QTest::keyClick(&filter, Qt::Key_Backspace);
        QTest::keyClick(&filter, Qt::Key_Backspace);
        QVERIFY(clear->isHidden());
        QTest::keyClicks(&filter, "xyz");
        clear->click();
        QVERIFY(filter.text().isEmpty() && clear->isHidden());
        QTest::keyClicks(&filter, "q");
        filter.setFocus();
        QTest::keyClick(&filter, Qt::Key_Escape);
        QVERIFY(filter.text().isEmpty() && clear->isHidden());
    }

    void testCenterFilter()
    {
        QWidget parent;
        parent.setGeometry(100, 50, 400, 300);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        VUVararer::CenterFilter centre;
        QDialog dialog(&parent);
        dialog.resize(101, 51);
        dialog.installEventFilter(&centre);
        dialog.show();
        const QPoint expected = parent.mapToGlobal(QPoint(200 - 50, 150 - 25));
        QCOMPARE(dialog.pos(), expected);

        // A child widget is centred inside its parent.
        QWidget child(&parent);
        child.resize(40, 20);
        child.installEventFilter(&centre);
        child.show();
        QCOMPARE(child.pos(), QPoint(180, 140));
    }

    void testComboBoxFilter()
    {
        QComboBox combo;
        combo.addItem("A very long entry that cannot fit on one line");
        combo.resize(120, 60);
        QPalette palette = combo.palette();
        palette.setColor(QPalette::Base, Qt::black);
        palette.setColor(QPalette::Text, Qt::white);
        combo.setPalette(palette);
        VUVararer::ComboBoxFilter filter;
        combo.installEventFilter(&filter);
        const QImage image = combo.grab().toImage();
        // Flat: black base, white frame, text on two or more lines, the corner triangle.
        QCOMPARE(image.pixelColor(60, 3).lightness() < 60, true);
        QVERIFY(image.pixelColor(0, 30).lightness() > 200);
        QVERIFY(image.pixelColor(117, 57).lightness() > 200);
        int nRowsWithText = 0;
        for (int y = 4; y < 56; ++y) {
            bool bText = false;
            for (int x = 10; x < 100 && !bText; ++x)
                bText = image.pixelColor(x, y).lightness() > 150;
            nRowsWithText += bText ? 1 : 0;
        }
        QVERIFY2(nRowsWithText > 14, qPrintable(QString::number(nRowsWithText)));
    }

    void testDirView()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("folder/inner"));
        QFile file(root.filePath("folder/note.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        VUVararer::DirView view;
        QCOMPARE(view.minimumSize(), QSize(180, 100));
        view.setRootPath(root.path());
        QSignalSpy content(&view, SIGNAL(showContent(QString))), item(&view, SIGNAL(showItem(QString)));
        const QModelIndex folder = view.model()->index(root.filePath("folder"));
        const QModelIndex note = view.model()->index(root.filePath("folder/note.txt"));
        QVERIFY(folder.isValid() && note.isValid());
        view.slotTreeViewClicked(folder);
        view.slotTreeViewClicked(note);
        QCOMPARE(content.count(), 1);
        QCOMPARE(content.at(0).at(0).toString(), root.filePath("folder"));
        QCOMPARE(item.count(), 1);
        QCOMPARE(item.at(0).at(0).toString(), root.filePath("folder/note.txt"));
        for (int column : {1, 2, 3})
            QVERIFY(view.treeView()->isColumnHidden(column));
    }

    void testListWidgetItem()
    {
        QListWidget list;
        auto* item = new VUVararer::ListWidgetItem("song.wav", &list);
        QVERIFY(item->fullPath().isEmpty());
        item->setFullPath("/music/song.wav");
        QCOMPARE(static_cast<VUVararer::ListWidgetItem*>(list.item(0))->fullPath(), QString("/music/song.wav"));
        const VUVararer::ListWidgetItem copy(*static_cast<QListWidgetItem*>(item));
        QCOMPARE(copy.text(), QString("song.wav"));
        QVERIFY(copy.fullPath().isEmpty());
    }

    void testGallery()
    {
        if (!TestKit::onScreen()) {
            const QString failure = TestKit::runGallery("testGallery", {"edits.png"});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        TestKit::useDarkStyle();
        QTemporaryDir root;
        QDir(root.path()).mkpath("Albums/Live");
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* valid = new VUVararer::EmailEdit;
        valid->setText("anna.berg@example.org");
        layout->addWidget(valid);
        auto* invalid = new VUVararer::EmailEdit;
        invalid->setText("not an address");
        layout->addWidget(invalid);
        layout->addWidget(new VUVararer::SearchFilter);
        auto* typed = new VUVararer::SearchFilter;
        typed->setText("bell");
        layout->addWidget(typed);
        auto* combo = new QComboBox;
        combo->addItem("Flat combo box");
        VUVararer::ComboBoxFilter flat;
        combo->installEventFilter(&flat);
        layout->addWidget(combo);
        auto* dirs = new VUVararer::DirView;
        dirs->setRootPath(root.path());
        layout->addWidget(dirs);
        window.setGeometry(40, 40, 320, 330);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300);
        QVERIFY(TestKit::saveShot(&window, "edits.png"));
    }
};

TRELVANIC_TEST_MAIN(EditsTest)
#include "tst_edits.moc"
