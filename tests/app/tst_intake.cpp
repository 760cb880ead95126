#include "MediaCorpus.h"
#include "ModalCloser.h"
#include "TestMain.h"

#include <core/ConversionSettings.h>
#include <gui/BatchDialog.h>
#include <gui/MainPage.h>

#include <VUVararer/App.h>
#include <VUVararer/Widgets/SimpleProgress.h>
#include <ZADovuzIdida/MediaSearchDialog.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileOpenEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

VUVararer::App* app() { return VUVararer::App::theApp(); }

// A page that records every intake the open requests make.
class RecordingPage : public MainPage
{
public:
    QList<QList<QUrl>> intakes;

    void openFiles(const QList<QUrl>& urls) override
    {
        intakes << urls;
        MainPage::openFiles(urls);
    }
};

// Runs a step every 20 ms until it answers true. After a minute it gives up and rejects every visible dialog, so
// that the modal loops under test return instead of waiting for a click that never comes.
class Poller : public QTimer
{
public:
    explicit Poller(const std::function<bool()>& step)
    {
        connect(this, &QTimer::timeout, [this, step]() {
            if (step()) {
                stop();
            } else if (m_clock.elapsed() > kGiveUpMs) {
                stop();
                m_bGaveUp = true;
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
                        dialog->reject();
                }
            }
        });
        m_clock.start();
        start(20);
    }

    bool gaveUp() const { return m_bGaveUp; }

private:
    static constexpr qint64 kGiveUpMs = 60000;
    QElapsedTimer m_clock;
    bool m_bGaveUp = false;
};

std::unique_ptr<Poller> pollUntil(const std::function<bool()>& step) { return std::make_unique<Poller>(step); }

BatchDialog* visibleBatchDialog(MainPage* page)
{
    auto* dialog = page->findChild<BatchDialog*>();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// The run's dialog once its first file is being written (its name shows), else null. A run that ended before
// has its dialog closed, so that the caller fails instead of waiting for ever.
BatchDialog* dialogWhileWriting(MainPage* page)
{
    BatchDialog* dialog = visibleBatchDialog(page);
    if (!dialog)
        return nullptr;
    const QString text = dialog->findChild<VUVararer::SimpleProgress*>()->text();
    if (text == "DONE") {
        dialog->accept();
        return nullptr;
    }
    return text == "ANALYZING" ? nullptr : dialog;
}

// Fills the page's list and waits until every duration is measured, so that the run takes the longest file first.
void setMeasuredList(MainPage* page, const QStringList& paths)
{
    auto* pModel = page->findChild<ZADovuzIdida::PlayListModel*>();
    pModel->setPlayList(paths);
    for (int row = 0; row < pModel->rowCount(); ++row)
        pModel->data(pModel->index(row), ZADovuzIdida::PlayListModel::DurationRole);
}

QStringList names(const QVector<QString>& paths)
{
    QStringList list;
    for (const QString& path : paths)
        list << QFileInfo(path).fileName();
    return list;
}

} // namespace

class TestIntake : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strIn;

    QString in(const QString& name) const { return m_strIn + name; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("PATH", qgetenv("TRELVANIC_BIN_DIR") + ":" + qgetenv("PATH"));
        m_strIn = m_dir.path() + "/in/";
        QString error;
        QVERIFY2(TestKit::makeMediaCorpus(m_strIn, &error, 6), qPrintable(error));
        app()->setSettingsValue(ConversionSettings::KeyPlaySoundAfter, false);
        app()->setSettingsValue(ConversionSettings::KeyOpenFolderAfter, false);
        app()->setSettingsValue("AutoReminder", false);
    }

    void testOpenRequests()
    {
        RecordingPage page;
        page.show();
        auto* model = page.findChild<ZADovuzIdida::PlayListModel*>();
        // Three requests 50 ms apart, the first through the application object, make one intake.
        QCoreApplication::postEvent(app(), new QFileOpenEvent(in("Loose/clip.mp4")));
        QTest::qWait(50);
        page.slotFileOpenRequest(in("Album/CD1/01 tone.wav"));
        QTest::qWait(50);
        page.slotFileOpenRequest(in("Album/CD2/02.mp3"));
        QTRY_COMPARE(model->rowCount(), 3);
        QCOMPARE(page.intakes.size(), 1);
        QCOMPARE(page.intakes.first().size(), 3);
        QCOMPARE(page.intakes.first().first(), QUrl::fromLocalFile(in("Loose/clip.mp4")));
        // Audio first, then video.
        QCOMPARE(model->playList(),
                 QStringList({in("Album/CD1/01 tone.wav"), in("Album/CD2/02.mp3"), in("Loose/clip.mp4")}));
        QCOMPARE(page.droppedUrls(), page.intakes.first());

        // A fourth request 200 ms later is a second intake, which replaces the first.
        QTest::qWait(200);
        page.slotFileOpenRequest(in("Album"));
        QTRY_COMPARE(page.intakes.size(), 2);
        QTRY_COMPARE(model->rowCount(), 2);
        QCOMPARE(page.droppedUrls(), QList<QUrl>{QUrl::fromLocalFile(in("Album"))});
        QCOMPARE(names(page.imageFiles()), QStringList{"cover.jpg"});
        QCOMPARE(names(page.textFiles()), QStringList{"notes.txt"});
        QTest::qWait(300);
        QCOMPARE(page.intakes.size(), 2);
        // Without pending requests openFiles does nothing.
        page.openFiles({QUrl::fromLocalFile(in("Loose"))});
        QCOMPARE(model->rowCount(), 2);
    }

    void testDropsReplace()
    {
        MainPage page;
        page.show();
        auto* model = page.findChild<ZADovuzIdida::PlayListModel*>();
        page.slotFilesDropped({QUrl::fromLocalFile(in("Album"))});
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(page.imageFiles().size(), 1);
        page.slotFilesDropped({QUrl::fromLocalFile(in("Loose"))});
        QCOMPARE(model->playList(), QStringList({in("Loose/long.wav"), in("Loose/clip.mp4")}));
        QVERIFY(page.imageFiles().isEmpty());
        QVERIFY(page.textFiles().isEmpty());
        QCOMPARE(page.findChild<QLabel*>("InfoLabel")->text(), QString("<H2><CENTER>2 media files</CENTER></H2>"));

        // A search cancelled before it began lists nothing, and the list follows it.
        TestKit::ModalCloser cancel([](QWidget* window) { window->close(); }, "ZADovuzIdida::MediaSearchDialog");
        page.slotFilesDropped({QUrl::fromLocalFile(in("Album"))});
        QVERIFY(cancel.hasFired());
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(page.droppedUrls(), QList<QUrl>{QUrl::fromLocalFile(in("Album"))});
        QTest::qWait(400);
        QCOMPARE(model->rowCount(), 0);
    }

    void testQualityLevels_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("level");
        QTest::newRow("64") << 64 << 2;
        QTest::newRow("127") << 127 << 4;
        QTest::newRow("84") << 84 << 2;
        QTest::newRow("85") << 85 << 4;
        QTest::newRow("22") << 22 << 0;
        QTest::newRow("23") << 23 << 2;
        QTest::newRow("0") << 0 << 0;
    }

    void testQualityLevels()
    {
        QFETCH(int, quality);
        QFETCH(int, level);
        QCOMPARE(ConversionSettings::qualityLevel(quality), level);
        if (ConversionSettings::qualities().contains(quality)) {
            app()->setSettingsValue(ConversionSettings::KeyQuality, quality);
            QCOMPARE(ConversionSettings::targetFormat().quality, level);
            app()->settings()->remove(QCoreApplication::applicationName() + "/" + ConversionSettings::KeyQuality);
        }
    }

    void testDestinationRefused_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("deleted folder") << m_dir.path() + "/gone/";
        QTest::newRow("under a regular file") << m_dir.path() + "/in/Album/notes.txt/out/";
    }

    void testDestinationRefused()
    {
        QFETCH(QString, destination);
        QDir(m_dir.path() + "/gone").removeRecursively();
        MainPage page;
        page.show();
        page.setDestinationPath(destination);
        page.findChild<ZADovuzIdida::PlayListModel*>()->setPlayList({in("Album/CD1/01 tone.wav")});
        QString title, text;
        TestKit::ModalCloser box(
            [&](QWidget* window) {
                title = window->windowTitle();
                text = static_cast<QMessageBox*>(window)->text();
                QVERIFY(TestKit::ModalCloser::clickButton(window, "OK"));
            },
            "QMessageBox");
        TestKit::ModalCloser batch([](QWidget* window) { static_cast<QDialog*>(window)->accept(); }, "BatchDialog");
        page.slotDoIt();
        QVERIFY(box.hasFired());
        QCOMPARE(title, QString("Error"));
        QCOMPARE(text, QString("Can not access the destination folder.\nPlease verify the destination."));
        QTest::qWait(1700);
        QVERIFY(!batch.hasFired());
        QVERIFY(!page.isRunAlive());
        QVERIFY(!QFileInfo::exists(destination));
        QVERIFY(page.findChild<QPushButton*>("RunBatchButton")->isEnabled());
    }

    void testStopThenConvert()
    {
        const QString out = m_dir.path() + "/out-stop/";
        QVERIFY(QDir().mkpath(out));
        MainPage page;
        page.show();
        page.setDestinationPath(out);
        page.findChild<ZADovuzIdida::PlayListModel*>()->setPlayList({in("Loose/long.wav")});
        auto* convert = page.findChild<QPushButton*>("RunBatchButton");

        // Stop as soon as the file is being written; a run that ends before (the file was skipped) is closed.
        bool endedEarly = false;
        const auto stopper = pollUntil([&page, &endedEarly]() {
            BatchDialog* dialog = visibleBatchDialog(&page);
            if (!dialog)
                return false;
            if (TestKit::ModalCloser::clickButton(dialog, "Close"))
                return endedEarly = true;
            return dialogWhileWriting(&page) && TestKit::ModalCloser::clickButton(dialog, "Stop");
        });
        page.slotDoIt();
        QVERIFY2(!endedEarly, "the run ended before the file was under way");
        QVERIFY2(!stopper->gaveUp(), "the file did not get under way within a minute");
        QVERIFY(!stopper->isActive());

        // The file is still being finished: Convert says so, and a second Convert is refused, without a dialog.
        QVERIFY(page.isRunAlive());
        QVERIFY(!convert->isEnabled());
        QCOMPARE(convert->text(), QString("Stopping…"));
        TestKit::ModalCloser second([](QWidget* window) { static_cast<QDialog*>(window)->accept(); }, "BatchDialog");
        page.slotDoIt();
        QVERIFY(!second.hasFired());

        QTRY_VERIFY_WITH_TIMEOUT(!page.isRunAlive(), 120000);
        QVERIFY(convert->isEnabled());
        QCOMPARE(convert->text(), QString("Convert"));
        const QString run = TestKit::onlyRunFolder(out);
        QCOMPARE(TestKit::filesUnder(run), QStringList{"long.m4a"});
        const QJsonObject info = TestKit::probeMedia(run + "long.m4a");
        QCOMPARE(info["codec_name"].toString(), QString("aac"));
        QVERIFY2(std::fabs(info["duration"].toString().toDouble() - 6.0) < 0.05,
                 qPrintable(info["duration"].toString()));
    }

    void testCloseWhileStopping()
    {
        // The page as the program runs it, but quitting only counts.
        struct QuittingPage : MainPage
        {
            int nQuits = 0;
            void quitApplication() override { ++nQuits; }
        };
        const QString out = m_dir.path() + "/out-close/";
        QVERIFY(QDir().mkpath(out));
        QuittingPage page;
        page.show();
        page.setDestinationPath(out);
        setMeasuredList(&page, {in("Loose/long.wav"), in("Album/CD2/02.mp3")});
        // Closed during the run, the page asks in the frame's own box, whose default answer (No) lets the run go
        // on; then the run is stopped.
        QString question;
        bool bClosed = true;
        const auto stopper = pollUntil([&]() {
            BatchDialog* dialog = dialogWhileWriting(&page);
            if (!dialog)
                return false;
            TestKit::ModalCloser answer(
                [&question](QWidget* box) {
                    question = QString(box->metaObject()->className()) + " " + box->windowTitle() + ":";
                    for (QLabel* label : box->findChildren<QLabel*>())
                        question += label->text();
                    TestKit::ModalCloser::pressKey(box, Qt::Key_Return);
                },
                "QDialog");
            bClosed = page.close();
            return TestKit::ModalCloser::clickButton(dialog, "Stop");
        });
        page.slotDoIt();
        QCOMPARE(question, QString("VUVararer::MMessageBox Quit:A conversion is running.\nStop it and quit? The file "
                                   "being converted is finished first."));
        QVERIFY(!bClosed);
        QCOMPARE(page.nQuits, 0);
        QVERIFY(page.isRunAlive());

        // Closed while the stopped run finishes its file: no question, the window stays and says so, then quits.
        TestKit::ModalCloser again([](QWidget* window) { static_cast<QDialog*>(window)->reject(); }, "QDialog");
        QVERIFY(!page.close());
        QVERIFY(page.isVisible());
        QCOMPARE(page.findChild<QPushButton*>("RunBatchButton")->text(), QString("Stopping…"));
        QCOMPARE(page.nQuits, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!page.isRunAlive(), 120000);
        QCOMPARE(page.nQuits, 1);
        QVERIFY(!again.hasFired());
        // Answering the question takes a moment: the short file may have come to be the one shown by the Stop.
        const QStringList files = TestKit::filesUnder(TestKit::onlyRunFolder(out));
        QVERIFY2(files == QStringList{"long.m4a"} || files == QStringList({"02.m4a", "long.m4a"}),
                 qPrintable(files.join(',')));
    }

    void testQuitDuringRun()
    {
        const QString out = m_dir.path() + "/out-quit/";
        QVERIFY(QDir().mkpath(out));
        auto* page = new MainPage;
        page->show();
        page->setDestinationPath(out);
        setMeasuredList(page, {in("Loose/long.wav"), in("Album/CD1/01 tone.wav"), in("Album/CD2/02.mp3")});

        // The dialog goes away while the run goes on, as when the window closes; then the page is destroyed.
        const auto closer = pollUntil([page]() {
            BatchDialog* dialog = dialogWhileWriting(page);
            if (!dialog)
                return false;
            dialog->accept();
            return true;
        });
        page->slotDoIt();
        QVERIFY2(!closer->gaveUp(), "the file did not get under way within a minute");
        QVERIFY(page->isRunAlive());
        delete page;

        // The file under way was finished; nothing half-written is left.
        const QString run = TestKit::onlyRunFolder(out);
        const QStringList files = TestKit::filesUnder(run);
        QVERIFY2(files.contains("long.m4a"), qPrintable(files.join(',')));
        for (const QString& file : files)
            QVERIFY2(file.endsWith(".m4a") && !file.endsWith("_temp.m4a"), qPrintable(file));
        const QJsonObject info = TestKit::probeMedia(run + "long.m4a");
        QVERIFY2(std::fabs(info["duration"].toString().toDouble() - 6.0) < 0.05,
                 qPrintable(info["duration"].toString()));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestIntake)
#include "tst_intake.moc"
