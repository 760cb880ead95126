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

// The way a drag ends on the widget: the drag enter, then the drop when the enter was accepted.
// With force, the drop goes straight to the widget's event handler, as if its drag enter had been accepted.
bool dragAndDrop(QWidget* widget, QMimeData* data, bool bForce = false)
{
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted() && !bForce)
        return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(widget)->event(&drop);
    return enter.isAccepted();
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
        QCOMPARE(area.text(), QString("<H1>Drop the photos here</H1>"));
        auto* button = area.findChild<QPushButton*>("PushButton");
        QCOMPARE(button->text(), QString("Click to open the photos"));
        area.resize(300, 140);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        // The button sits at the foot across the width.
        QVERIFY(button->geometry().bottom() > 100 && button->width() > 250);
        area.hideOpenButton();
        QVERIFY(button->isHidden());
    }

    void testDrop_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QList<QUrl>>("accepted");
        QTest::addColumn<bool>("hideAfterDrop");
        const QList<QUrl> local = {QUrl::fromLocalFile("/tmp/z.mp3"), QUrl::fromLocalFile("/tmp/folder")};
        const QList<QUrl> web = {QUrl("https://x.invalid/a.wav"), QUrl("ftp://y.invalid/b")};
        QTest::newRow("local, hides") << local << local << true;
        QTest::newRow("local, stays") << local << local << false;
        QTest::newRow("web only") << web << QList<QUrl>() << true;
        QTest::newRow("mixed") << web + local.mid(0, 1) << local.mid(0, 1) << true;
        QTest::newRow("text") << QList<QUrl>() << QList<QUrl>() << true;
    }

    void testDrop()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QList<QUrl>, accepted);
        QFETCH(bool, hideAfterDrop);
        QWidget parent;
        auto* area = new VUVararer::DropWidget(&parent);
        area->setHideAfterDrop(hideAfterDrop);
        QSignalSpy spy(area, SIGNAL(dropped(QList<QUrl>)));
        QScopedPointer<QMimeData> data(uriData(urls));
        if (urls.isEmpty())
            data->setText("/tmp/a.wav");
        // Anything without a local file is refused at the drag enter and ignored if dropped anyway.
        QCOMPARE(dragAndDrop(area, data.data(), true), !accepted.isEmpty());
        QCOMPARE(spy.count(), accepted.isEmpty() ? 0 : 1);
        QCOMPARE(area->urls(), accepted);
        if (!accepted.isEmpty())
            QCOMPARE(spy.first().first().value<QList<QUrl>>(), accepted);
        QCOMPARE(area->isHidden(), hideAfterDrop && !accepted.isEmpty());
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
        const bool folder = mode == VUVararer::DropWidget::OpenFolder;
        QWidget parent;
        auto* area = new VUVararer::DropWidget(&parent);
        area->setOpenMode(VUVararer::DropWidget::OpenMode(mode));
        QSignalSpy spy(area, SIGNAL(dropped(QList<QUrl>)));
        {
            TestKit::ModalCloser cancel(
                [&](QWidget* window) {
                    auto* dialog = qobject_cast<QFileDialog*>(window);
                    QCOMPARE(window->windowTitle(), QString(folder ? "Open folder" : "Open files"));
                    QCOMPARE(dialog->fileMode() == QFileDialog::ExistingFiles, !folder);
                    QCOMPARE(dialog->testOption(QFileDialog::ShowDirsOnly), folder);
                    dialog->reject();
                },
                "QFileDialog");
            area->slotOpenClicked();
            QVERIFY(cancel.hasFired());
        }
        QCOMPARE(spy.count(), 0);
        QVERIFY(!area->isHidden());

        // Choosing gives file URLs of what was chosen.
        QTemporaryDir dir;
        const QString file = dir.filePath("chosen.wav");
        QFile(file).open(QIODevice::WriteOnly);
        TestKit::ModalCloser choose(
            [&](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                dialog->setDirectory(dir.path());
                if (folder)
                    QMetaObject::invokeMethod(dialog, "accept");
                else
                    TestKit::ModalCloser::answerFileDialog(dialog, file);
            },
            "QFileDialog");
        area->slotOpenClicked();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().value<QList<QUrl>>(),
                 QList<QUrl>{QUrl::fromLocalFile(folder ? dir.path() : file)});
        QVERIFY(area->isHidden());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestDropArea)
#include "tst_droparea.moc"
