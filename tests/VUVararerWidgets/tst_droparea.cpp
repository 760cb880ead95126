#include "ModalCloser.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/DropWidget.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(QList<QUrl>)

namespace {

QMimeData* uriData(const QList<QUrl>& urls)
{
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

bool dragEnter(QWidget* widget, QMimeData* data)
{
    QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

// The way a drag ends on the widget: the accepted drag enter makes it the drop target, then the drop.
bool dragAndDrop(QWidget* widget, QMimeData* data)
{
    if (!dragEnter(widget, data))
        return false;
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
    return true;
}

// A drop straight to the widget's event handler, as if its drag enter had been accepted.
void dropOnly(QWidget* widget, QMimeData* data)
{
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(widget)->event(&event);
}

} // namespace

class TestDropArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QList<QUrl>>(); }

    void testLook()
    {
        VUVararer::DropWidget area;
        QCOMPARE(area.objectName(), QString("DropArea"));
        QCOMPARE(area.alignment(), Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(area.text(), QString("<H1>Drop the photos here</H1>"));
        QVERIFY(area.acceptDrops());
        auto* button = area.findChild<QPushButton*>("PushButton");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("Click to open the photos"));
        QCOMPARE(button->minimumHeight(), 32);
        QCOMPARE(button->maximumHeight(), 32);

        area.setButtonText("Open");
        area.setAreaText("<b>Here</b>");
        QCOMPARE(button->text(), QString("Open"));
        QCOMPARE(area.text(), QString("<b>Here</b>"));
        area.hideOpenButton();
        QVERIFY(button->isHidden());

        // The button sits at the foot across the width.
        VUVararer::DropWidget shown;
        shown.resize(300, 140);
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        auto* footButton = shown.findChild<QPushButton*>("PushButton");
        QVERIFY(footButton->geometry().bottom() > 100);
        QVERIFY(footButton->width() > 250);
    }

    void testDragEnter_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain text") << "text" << false;
        QTest::newRow("local files") << "files" << true;
        QTest::newRow("web links only") << "web" << false;
        QTest::newRow("mixed") << "mixed" << true;
    }

    void testDragEnter()
    {
        QFETCH(QString, kind);
        QFETCH(bool, accepted);
        VUVararer::DropWidget area;
        QMimeData data;
        if (kind == "text")
            data.setText("/tmp/a.wav");
        else if (kind == "files")
            data.setUrls({QUrl::fromLocalFile("/tmp/a.wav")});
        else if (kind == "web")
            data.setUrls({QUrl("https://x.invalid/a.wav")});
        else
            data.setUrls({QUrl("https://x.invalid/a.wav"), QUrl::fromLocalFile("/tmp/b.wav")});
        QCOMPARE(dragEnter(&area, &data), accepted);
    }

    void testDrop_data()
    {
        QTest::addColumn<bool>("hideAfterDrop");
        QTest::newRow("hides") << true;
        QTest::newRow("stays") << false;
    }

    void testDrop()
    {
        QFETCH(bool, hideAfterDrop);
        QWidget parent;
        auto* area = new VUVararer::DropWidget(&parent);
        if (!hideAfterDrop)
            area->setHideAfterDrop(false);
        QSignalSpy spy(area, SIGNAL(dropped(QList<QUrl>)));
        const QList<QUrl> urls = {QUrl::fromLocalFile("/tmp/z.mp3"), QUrl::fromLocalFile("/tmp/folder"),
                                  QUrl::fromLocalFile("/tmp/a.m4a")};
        QScopedPointer<QMimeData> data(uriData(urls));
        QVERIFY(!area->isHidden());
        QVERIFY(dragAndDrop(area, data.data()));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().value<QList<QUrl>>(), urls);
        QCOMPARE(area->urls(), urls);
        QCOMPARE(area->isHidden(), hideAfterDrop);
    }

    void testForeignDrops()
    {
        // Only local files and folders pass; a drop of nothing local changes nothing.
        QWidget parent;
        auto* area = new VUVararer::DropWidget(&parent);
        QSignalSpy spy(area, SIGNAL(dropped(QList<QUrl>)));
        QScopedPointer<QMimeData> web(uriData({QUrl("https://x.invalid/a.wav"), QUrl("ftp://y.invalid/b")}));
        dropOnly(area, web.data());
        QMimeData text;
        text.setText("hello");
        dropOnly(area, &text);
        QCOMPARE(spy.count(), 0);
        QVERIFY(area->urls().isEmpty());
        QVERIFY(!area->isHidden());

        QScopedPointer<QMimeData> mixed(
            uriData({QUrl("https://x.invalid/a.wav"), QUrl::fromLocalFile("/tmp/c.wav")}));
        QVERIFY(dragAndDrop(area, mixed.data()));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(area->urls(), QList<QUrl>{QUrl::fromLocalFile("/tmp/c.wav")});
    }

    void testDialogs_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("folder") << int(VUVararer::DropWidget::OpenFolder);
        QTest::newRow("files") << int(VUVararer::DropWidget::OpenFiles);
        QTest::newRow("other value") << 7;
    }

    void testDialogs()
    {
        QFETCH(int, mode);
        QWidget parent;
        auto* area = new VUVararer::DropWidget(&parent);
        area->setOpenMode(VUVararer::DropWidget::OpenMode(mode));
        QSignalSpy spy(area, SIGNAL(dropped(QList<QUrl>)));
        QString caption;
        QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
        bool dirsOnly = false;
        {
            TestKit::ModalCloser cancel(
                [&](QWidget* window) {
                    auto* dialog = qobject_cast<QFileDialog*>(window);
                    caption = window->windowTitle();
                    fileMode = dialog->fileMode();
                    dirsOnly = dialog->testOption(QFileDialog::ShowDirsOnly);
                    dialog->reject();
                },
                "QFileDialog");
            area->slotOpenClicked();
            QVERIFY(cancel.hasFired());
        }
        const bool folder = mode == VUVararer::DropWidget::OpenFolder;
        QCOMPARE(caption, QString(folder ? "Open folder" : "Open files"));
        QCOMPARE(fileMode == QFileDialog::ExistingFiles, !folder);
        QCOMPARE(dirsOnly, folder);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!area->isHidden());

        // Choosing gives file URLs of what was chosen.
        QTemporaryDir dir;
        const QString file = dir.filePath("chosen.wav");
        QFile(file).open(QIODevice::WriteOnly);
        const QString chosen = folder ? dir.path() : file;
        TestKit::ModalCloser choose(
            [&](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                dialog->setDirectory(dir.path());
                if (!folder)
                    dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            },
            "QFileDialog");
        area->slotOpenClicked();
        QVERIFY(choose.hasFired());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().value<QList<QUrl>>(), QList<QUrl>{QUrl::fromLocalFile(chosen)});
        QVERIFY(area->isHidden());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestDropArea)
#include "tst_droparea.moc"
