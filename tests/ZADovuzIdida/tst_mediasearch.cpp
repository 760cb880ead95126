#include "MediaTestKit.h"
#include "TestMain.h"

#include <ZADovuzIdida/MediaSearchDialog.h>

#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <mutex>
#include <utility>

#include <unistd.h>

using ZADovuzIdida::MediaSearchDialog;

namespace {

// Search dialog whose media test can be watched and steered; the real test still decides.
class HookedDialog : public MediaSearchDialog
{
public:
    std::function<void(const QString&)> hook;
    std::atomic<int> calls{0};

    bool isMediaFile(const QString& path) override
    {
        ++calls;
        if (hook)
            hook(path);
        return MediaSearchDialog::isMediaFile(path);
    }
};

// Runs the current user as "nobody" for the lifetime of the object when running as root, so that
// permission bits are honoured.
class AsNobody
{
public:
    AsNobody() : m_bSwitched(geteuid() == 0 && seteuid(65534) == 0) {}
    ~AsNobody()
    {
        if (m_bSwitched && seteuid(0) != 0)
            qFatal("cannot return to root");
    }

private:
    bool m_bSwitched;
};

QStringList sorted(const QVector<QString>& paths)
{
    QStringList list(paths.begin(), paths.end());
    list.sort();
    return list;
}

// The count label's text when only audio and other files were counted.
QString countText(int audio, int other)
{
    return QString("<H3>Video Files: 0<BR>Audio Files: %1<BR>Image Files: 0<BR>Text Files: 0<BR>"
                   "Other Files: %2<BR></H3>")
        .arg(audio)
        .arg(other);
}

} // namespace

class TestMediaSearch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
        return bytes;
    }

    // The labels in creation order: file name, counts, heading.
    static QLabel* countLabel(MediaSearchDialog& dialog)
    {
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        return labels.size() == 3 ? labels.at(1) : nullptr;
    }

    // Lets every user read the tree, so that only the locked folder stays closed to "nobody".
    static void openUp(const QString& root)
    {
        const QFileDevice::Permissions dirs = QFileDevice::Permissions(0x7755);
        const QFileDevice::Permissions files = QFileDevice::Permissions(0x6644);
        QFile::setPermissions(root, dirs);
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString entry = it.next();
            QFile::setPermissions(entry, it.fileInfo().isDir() ? dirs : files);
        }
    }

    static void run(MediaSearchDialog& dialog, const QList<QUrl>& urls)
    {
        dialog.setUrls(urls);
        QSignalSpy finished(&dialog, SIGNAL(finished(int)));
        dialog.slotStart();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(TestKit::makeTone(path("a.mp3"), 1.2, 44100, 2, {"-c:a", "libmp3lame"}, &error), qPrintable(error));
    }

    void testWindow()
    {
        MediaSearchDialog dialog;
        QCOMPARE(dialog.objectName(), QString("MediaSearchDialog"));
        QPushButton* button = dialog.findChild<QPushButton*>("SearchStopButton");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("&Cancel"));
        QStringList texts;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            texts << label->text();
        QCOMPARE(texts,
                 (QStringList{"", "", "<CENTER><H2>Searching for the media files.<br>Please, wait...</H2></CENTER>"}));
        QCOMPARE(MediaSearchDialog::staticMetaObject.className(), "ZADovuzIdida::MediaSearchDialog");
    }

    // A dropped file is filed but not counted; what is neither file nor folder is only logged.
    void testDroppedFiles()
    {
        MediaSearchDialog dialog;
        QTest::ignoreMessage(QtDebugMsg, "Unknown");
        QTest::ignoreMessage(QtDebugMsg, "Unknown");
        run(dialog, {QUrl::fromLocalFile(path("a.mp3")), QUrl::fromLocalFile(path("missing.wav")),
                     QUrl("http://127.0.0.1:9/remote.mp3")});
        QCOMPARE(dialog.audioFiles(), QVector<QString>{path("a.mp3")});
        QVERIFY(dialog.unsuportedFiles().isEmpty() && dialog.folders().isEmpty() && dialog.emptyFolders().isEmpty());
        for (QLabel* label : dialog.findChildren<QLabel*>())
            QVERIFY(!label->text().startsWith("<H3>"));
    }

    // Mixed tree with a link cycle, hidden entries, upper-case suffixes and broken media.
    void testTree()
    {
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        const QString root = tree.path();
        auto at = [&](const QString& name) { return root + "/" + name; };
        QString error;
        QVERIFY2(TestKit::makeTone(at("b.wav"), 1.0, 44100, 2, {}, &error), qPrintable(error));
        QVERIFY(QFile::rename(at("b.wav"), at("b.WAV")));
        QVERIFY(MediaKit::ffmpeg(
            {"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-f", "lavfi", "-i", "sine=d=1", "-shortest", at("e.avi")}));
        QVERIFY(QFile::copy(path("a.mp3"), at("._c.mp3")));
        QVERIFY(QFile::copy(path("a.mp3"), at("a.mp3")));
        QVERIFY(MediaKit::writeFile(at("d.zip"), "PK\x05\x06" + QByteArray(18, '\0')));
        QVERIFY(MediaKit::writeFile(at("notes.TXT"), "notes\n"));
        QVERIFY(MediaKit::writeFile(at("cover.JPEG"), QByteArray::fromHex("ffd8ffe0")));
        QVERIFY(MediaKit::writeFile(at("x.wav"), randomBytes(4096)));
        QVERIFY(MediaKit::writeFile(at("SONG.MP3"), randomBytes(4096)));
        QVERIFY(MediaKit::writeFile(at("fake.mp3"), randomBytes(4096)));
        QVERIFY(QDir(root).mkpath("empty"));
        QVERIFY(QDir(root).mkpath("nested/deeper"));
        QVERIFY(TestKit::makeTone(at("nested/deeper/f.flac"), 0.5, 44100, 1, {"-c:a", "flac"}, &error));
        QVERIFY(QFile::link(root, at("nested/loop")));
        QVERIFY(QFile::link(at("nested"), at("nested/deeper/up")));
        QVERIFY(MediaKit::writeFile(at(".hidden/h.htm"), "<p>"));
        QVERIFY(MediaKit::writeFile(at("locked/g.mp3"), "x"));
        openUp(root);
        QVERIFY(QFile::setPermissions(at("locked"), QFileDevice::Permissions()));

        QVERIFY(TestKit::runTool("ffprobe", {"-v", "error", at("x.wav")}).exitCode != 0);
        QVERIFY(TestKit::runTool("ffprobe", {"-v", "error", at("e.avi")}).exitCode == 0);

        MediaSearchDialog dialog;
        bool lockedReadable = true;
        {
            AsNobody nobody;
            run(dialog, {QUrl::fromLocalFile(root)});
            lockedReadable = !QDir(at("locked")).entryList(QDir::Files).isEmpty();
        }
        QFile::setPermissions(at("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (lockedReadable)
            qInfo("permissions are not enforced here: the locked folder is walked like the others");

        QStringList audio{at("a.mp3"), at("b.WAV"), at("fake.mp3"), at("nested/deeper/f.flac")};
        if (lockedReadable)
            audio << at("locked/g.mp3");
        QCOMPARE(sorted(dialog.audioFiles()), audio);
        QCOMPARE(dialog.audioFiles().last(), at("nested/deeper/f.flac"));
        QCOMPARE(dialog.videoFiles(), QVector<QString>{at("e.avi")});
        QCOMPARE(dialog.artworkFiles(), QVector<QString>{at("cover.JPEG")});
        QCOMPARE(sorted(dialog.textFiles()), (QStringList{at(".hidden/h.htm"), at("notes.TXT")}));
        QCOMPARE(dialog.textFiles().first(), at("notes.TXT"));
        QCOMPARE(sorted(dialog.unsuportedFiles()),
                 (QStringList{at("._c.mp3"), at("SONG.MP3"), at("d.zip"), at("x.wav")}));
        QCOMPARE(sorted(dialog.folders()),
                 (QStringList{at(".hidden"), at("empty"), at("locked"), at("nested"), at("nested/deeper")}));
        const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
        QStringList empty{canonicalRoot + "/empty"};
        if (!lockedReadable)
            empty << canonicalRoot + "/locked";
        QCOMPARE(sorted(dialog.emptyFolders()), empty);
    }

    // Empty folders are recorded by their canonical path; the dropped folders themselves are not listed.
    void testEmptyFolders()
    {
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        const QString real = QFileInfo(tree.path()).canonicalFilePath();
        QVERIFY(QDir(real).mkpath("bare"));
        QVERIFY(QDir(real).mkpath("outer/inner"));
        QVERIFY(QFile::link(real, real + "/../" + QFileInfo(real).fileName() + "-link"));
        const QString linked = real + "-link";
        MediaSearchDialog dialog;
        run(dialog, {QUrl::fromLocalFile(linked + "/bare"), QUrl::fromLocalFile(linked + "/outer")});
        QCOMPARE(dialog.folders(), QVector<QString>{linked + "/outer/inner"});
        QCOMPARE(dialog.emptyFolders(), (QVector<QString>{real + "/bare", real + "/outer/inner"}));
        QFile::remove(linked);
    }

    // Links to folders are followed only inside the dropped folder; links to files are taken.
    void testLinksOutside_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("added");
        QTest::newRow("parent") << ".."
                                << "";
        QTest::newRow("root") << "/"
                              << "";
        QTest::newRow("sibling folder") << "../outside"
                                        << "";
        QTest::newRow("inner folder") << "sub"
                                      << "";
        QTest::newRow("file outside") << "../outside/o.mp3"
                                      << "outside/o.mp3";
    }

    void testLinksOutside()
    {
        QFETCH(QString, target);
        QFETCH(QString, added);
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        const QString top = QFileInfo(tree.path()).canonicalFilePath() + "/";
        QVERIFY(QDir(top).mkpath("outside") && QDir(top).mkpath("dropped/sub"));
        QVERIFY(QFile::copy(path("a.mp3"), top + "outside/o.mp3"));
        QVERIFY(QFile::copy(path("a.mp3"), top + "dropped/in.mp3"));
        QVERIFY(QFile::copy(path("a.mp3"), top + "dropped/sub/inner.mp3"));
        QVERIFY(QFile::link(target, top + "dropped/link"));

        MediaSearchDialog dialog;
        // Walking out of the dropped folder would take long; the cancel makes that fail fast.
        QTimer::singleShot(20000, &dialog, SLOT(slotCancel()));
        run(dialog, {QUrl::fromLocalFile(top + "dropped")});
        QStringList canonical;
        for (const QString& file : dialog.audioFiles() + dialog.unsuportedFiles())
            canonical << QFileInfo(file).canonicalFilePath();
        canonical.sort();
        QStringList expected{top + "dropped/in.mp3", top + "dropped/sub/inner.mp3"};
        if (!added.isEmpty())
            expected << top + added;
        expected.sort();
        QCOMPARE(canonical, expected);
    }

    // The count label changes after files 1, 2, 3, 4 and every tenth.
    void testLabelUpdates_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("shown");
        for (const auto& row : {std::make_pair(1, 1), {3, 3}, {4, 4}, {9, 4}, {10, 10}, {25, 20}})
            QTest::addRow("%d files", row.first) << row.first << row.second;
    }

    void testLabelUpdates()
    {
        QFETCH(int, files);
        QFETCH(int, shown);
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        for (int i = 0; i < files; ++i)
            QVERIFY(QFile::copy(path("a.mp3"), QString("%1/%2.mp3").arg(tree.path()).arg(i)));
        MediaSearchDialog dialog;
        run(dialog, {QUrl::fromLocalFile(tree.path())});
        QCOMPARE(countLabel(dialog)->text(), countText(shown, 0));
    }

    // Probes that end out of order (several run at once): the lists keep the walk's order.
    void testProbeOrder()
    {
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        for (int i = 0; i < 60; ++i) {
            const QString name = QString("%1/%2").arg(tree.path()).arg(i);
            QVERIFY(i % 3 ? QFile::copy(path("a.mp3"), name + ".wav") : MediaKit::writeFile(name + ".ogg", "x"));
        }
        HookedDialog dialog;
        std::atomic<int> running{0};
        std::atomic<int> most{0};
        dialog.hook = [&](const QString&) {
            const int now = ++running;
            for (int seen = most; now > seen;)
                most.compare_exchange_weak(seen, now);
            QThread::msleep(QRandomGenerator::global()->bounded(20));
            --running;
        };
        run(dialog, {QUrl::fromLocalFile(tree.path())});
        QVector<QString> audio, other;
        for (const QString& name : QDir(tree.path()).entryList({"*"}, QDir::Files | QDir::Hidden, QDir::NoSort))
            (name.endsWith(".wav") ? audio : other) << tree.path() + "/" + name;
        QCOMPARE(dialog.audioFiles(), audio);
        QCOMPARE(dialog.unsuportedFiles(), other);
        QCOMPARE(countLabel(dialog)->text(), countText(40, 20));
        if (QThread::idealThreadCount() > 1)
            QVERIFY(most > 1);
    }

    // Cancel (button or Escape) in the middle of a folder of thousands of files: rejected, lists empty, the walk
    // stops.
    void testCancel()
    {
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        for (int i = 0; i < 3000; ++i)
            QVERIFY(MediaKit::writeFile(QString("%1/%2.wav").arg(tree.path()).arg(i), "RIFF"));
        QVERIFY(MediaKit::writeFile(tree.path() + "/sub/z.txt", "z"));
        for (bool escape : {false, true}) {
            HookedDialog dialog;
            QPushButton* button = dialog.findChild<QPushButton*>("SearchStopButton");
            dialog.hook = [&](const QString&) {
                if (dialog.calls == 100) {
                    QTimer::singleShot(0, button, [&dialog, button, escape] {
                        if (escape)
                            QTest::keyClick(&dialog, Qt::Key_Escape);
                        else
                            QTest::mouseClick(button, Qt::LeftButton);
                    });
                    QThread::msleep(100);
                }
            };
            dialog.setUrls({QUrl::fromLocalFile(tree.path()), QUrl::fromLocalFile(path("a.mp3"))});
            QSignalSpy finished(&dialog, SIGNAL(finished(int)));
            dialog.show();
            dialog.slotStart();
            QCOMPARE(finished.count(), 1);
            QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(dialog.calls >= 100 && dialog.calls < 3000);
            QVERIFY(dialog.audioFiles().isEmpty() && dialog.unsuportedFiles().isEmpty());
            QVERIFY(dialog.textFiles().isEmpty() && dialog.folders().isEmpty() && dialog.emptyFolders().isEmpty());

            dialog.hook = nullptr;
            run(dialog, {QUrl::fromLocalFile(tree.path() + "/sub")});
            QCOMPARE(dialog.textFiles(), QVector<QString>{tree.path() + "/sub/z.txt"});
        }
    }

    // Files removed while the walk runs are left out.
    void testVanishedFiles()
    {
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        for (int i = 0; i < 10; ++i)
            QVERIFY(MediaKit::writeFile(QString("%1/%2.wav").arg(tree.path()).arg(i), "RIFF"));
        HookedDialog dialog;
        // Probes run side by side: none goes on before the first has removed the other files.
        std::mutex removing;
        bool bRemoved = false;
        dialog.hook = [&](const QString& current) {
            std::lock_guard<std::mutex> lock(removing);
            if (std::exchange(bRemoved, true))
                return;
            for (const QFileInfo& info : QDir(tree.path()).entryInfoList(QDir::Files)) {
                if (info.absoluteFilePath() != current)
                    QFile::remove(info.absoluteFilePath());
            }
        };
        run(dialog, {QUrl::fromLocalFile(tree.path())});
        QCOMPARE(dialog.unsuportedFiles().size(), 1);
        QVERIFY(dialog.audioFiles().isEmpty());
        QCOMPARE(countLabel(dialog)->text(), countText(0, 1));
    }
};

TRELVANIC_TEST_MAIN(TestMediaSearch)
#include "tst_mediasearch.moc"
