#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/Widgets/DirView.h>
#include <VUVararer/Widgets/EmailEdit.h>
#include <VUVararer/Widgets/EventFilters.h>
#include <VUVararer/Widgets/SearchFilter.h>

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtTest>

namespace {

int lightPixels(const QImage& image, const QRect& area)
{
    int nLight = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            nLight += image.pixelColor(x, y).lightness() > 150 ? 1 : 0;
    return nLight;
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
        QTest::newRow("dash and underscore") << "a_b-c@mail.example.info" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("leading blank") << " anna@example.org" << false;
        QTest::newRow("trailing text") << "anna@example.org and more" << false;
        QTest::newRow("name before") << "Anna <anna@example.org>" << false;
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
        QSignalSpy changed(&edit, SIGNAL(textChanged(QString)));
        QSignalSpy mail(&edit, SIGNAL(sendEmail(QString))), ecard(&edit, SIGNAL(sendECard(QString)));
        QTest::keyClicks(edit.findChild<QLineEdit*>(), text);
        QCOMPARE(changed.count(), text.size());
        QVERIFY(email->isEnabled() == valid && card->isEnabled() == valid);
        email->click();
        card->click();
        QVERIFY(mail.count() == int(valid) && ecard.count() == int(valid));
        changed.clear();
        edit.setText(text + " ");
        QVERIFY(!email->isEnabled());
        edit.setText(text);
        QCOMPARE(card->isEnabled(), valid);
        QCOMPARE(changed.count(), 2); // one signal a call
        QCOMPARE(changed.last().first().toString(), text);
    }

    void testSearchFilter()
    {
        VUVararer::SearchFilter filter;
        QPalette palette = filter.palette();
        palette.setColor(QPalette::Base, Qt::black);
        filter.setPalette(palette);
        filter.resize(200, 24);
        filter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&filter));
        auto* clear = filter.findChild<QPushButton*>("SearchFilterDel");
        QVERIFY(clear->isHidden());
        // The white hint shows only while the field is empty.
        const QRect hint(5, 0, 60, 24);
        QVERIFY(lightPixels(filter.grab().toImage(), hint) > 10);
        QTest::keyClicks(&filter, "ab");
        QVERIFY(!clear->isHidden());
        QVERIFY(lightPixels(filter.grab().toImage(), QRect(30, 0, 35, 24)) == 0);
        QTest::keyClick(&filter, Qt::Key_Backspace);
        QTest::keyClick(&filter, Qt::Key_Backspace);
        QVERIFY(clear->isHidden());
        QTest::keyClicks(&filter, "xyz");
        clear->click();
        QVERIFY(filter.text().isEmpty() && clear->isHidden());
        QTest::keyClicks(&filter, "q");
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
        QCOMPARE(dialog.pos(), parent.mapToGlobal(QPoint(200 - 50, 150 - 25)));
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
        // Flat: white frame on black, the corner triangle, the text wrapped over both halves.
        QVERIFY(image.pixelColor(0, 30).lightness() > 200 && image.pixelColor(117, 57).lightness() > 200);
        QVERIFY(lightPixels(image, QRect(10, 5, 90, 24)) > 10 && lightPixels(image, QRect(10, 31, 90, 24)) > 10);
    }

    void testDirView()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("folder"));
        QFile file(root.filePath("folder/note.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        VUVararer::DirView view;
        view.setRootPath(root.path());
        QSignalSpy content(&view, SIGNAL(showContent(QString))), item(&view, SIGNAL(showItem(QString)));
        view.slotTreeViewClicked(view.model()->index(root.filePath("folder")));
        view.slotTreeViewClicked(view.model()->index(root.filePath("folder/note.txt")));
        QCOMPARE(content, QList<QList<QVariant>>{{root.filePath("folder")}});
        QCOMPARE(item, QList<QList<QVariant>>{{root.filePath("folder/note.txt")}});
        QVERIFY(view.treeView()->isColumnHidden(1) && !view.treeView()->isColumnHidden(0));
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"edits.png"}))
            return;
        QTemporaryDir root;
        QDir(root.path()).mkpath("Albums/Live");
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        for (const char* text : {"anna.berg@example.org", "not an address"}) {
            auto* edit = new VUVararer::EmailEdit;
            edit->setText(text);
            layout->addWidget(edit);
        }
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
        QVERIFY(TestKit::showAndSave(&window, "edits.png"));
    }
};

TRELVANIC_TEST_MAIN(EditsTest)
#include "tst_edits.moc"
