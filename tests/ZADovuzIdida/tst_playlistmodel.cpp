#include "TestMain.h"
#include "Tools.h"

#include <ZADovuzIdida/MediaTracksModel.h>
#include <ZADovuzIdida/NativeAudioTools.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QAbstractItemModelTester>
#include <QMediaPlaylist>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cmath>

using namespace ZADovuzIdida;

class TestPlayListModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static double ffprobeSeconds(const QString& file)
    {
        const TestKit::ToolResult result = TestKit::runTool(
            "ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", file});
        bool ok = false;
        const double seconds = QString::fromLatin1(result.out).trimmed().toDouble(&ok);
        return result.exitCode == 0 && ok ? seconds : -1.0;
    }

    static QTime duration(PlayListModel& model, int row)
    {
        return model.data(model.index(row), PlayListModel::DurationRole).toTime();
    }

    static void writeText(const QString& file, const QByteArray& text)
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(TestKit::makeTone(path("tone.wav"), 2.5, 44100, 2, {}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(path("tone.mp3"), 3.4, 44100, 2, {"-c:a", "libmp3lame"}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(path("tone.m4a"), 1.6, 48000, 2, {"-c:a", "aac"}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(path("tone.flac"), 4.2, 48000, 1, {"-c:a", "flac"}, &error), qPrintable(error));
        const TestKit::ToolResult movie = TestKit::runTool(
            "ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=d=2.3:s=64x48", "-f", "lavfi", "-i",
                       "sine=d=2.3", "-shortest", "-c:v", "mpeg4", "-c:a", "aac", path("clip.mp4")});
        QVERIFY2(movie.exitCode == 0, movie.err.constData());
        const TestKit::ToolResult silent = TestKit::runTool(
            "ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=d=1.5:s=64x48", "-c:v", "mpeg4",
                       path("silent.mp4")});
        QVERIFY2(silent.exitCode == 0, silent.err.constData());
        writeText(path("notes.txt"), "no sound here\n");
    }

    void testDurations_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* name : {"tone.wav", "tone.mp3", "tone.m4a", "tone.flac", "clip.mp4", "silent.mp4"})
            QTest::newRow(name) << QString(name);
    }

    // Whole seconds, truncated, as ffprobe reports the container's duration.
    void testDurations()
    {
        QFETCH(QString, file);
        const double reference = ffprobeSeconds(path(file));
        QVERIFY(reference > 0);
        const QUrl url = QUrl::fromLocalFile(path(file));
        QVERIFY(NativeAudioTools::isPlayable(url));
        QCOMPARE(NativeAudioTools::duration(url), qint64(std::floor(reference)));
        PlayListModel model;
        model.setPlayList({path(file)});
        QCOMPARE(duration(model, 0), QTime(0, 0, 0).addSecs(int(std::floor(reference))));
        QCOMPARE(model.audioFileDuration(path(file)), duration(model, 0));
    }

    void testNotPlayable()
    {
        const QString missing = path("missing.wav");
        QCOMPARE(NativeAudioTools::duration(QUrl::fromLocalFile(missing)), qint64(-1));
        QVERIFY(!NativeAudioTools::isPlayable(QUrl::fromLocalFile(missing)));
        QCOMPARE(NativeAudioTools::duration(QUrl::fromLocalFile(path("notes.txt"))), qint64(-1));
        QCOMPARE(NativeAudioTools::duration(QUrl("http://127.0.0.1:9/tone.wav")), qint64(-1));
        PlayListModel model;
        model.setPlayList({missing, path("notes.txt")});
        QCOMPARE(duration(model, 0), QTime(0, 0, 0));
        QCOMPARE(duration(model, 1), QTime(0, 0, 0));
        QVERIFY(!model.data(model.index(0), PlayListModel::LastModifiedRole).toDateTime().isValid());
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("missing.wav"));
    }

    void testRoles()
    {
        PlayListModel model;
        const QStringList paths{"/a/b/Song.mp3", path("tone.wav"), "/c/d.flac"};
        model.setPlayList(paths);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(static_cast<QAbstractItemModel&>(model).columnCount(), 1);
        QCOMPARE(model.playList(), paths);
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("Song.mp3"));
        QCOMPARE(model.data(model.index(0), Qt::EditRole).toString(), QString("Song.mp3"));
        QCOMPARE(model.data(model.index(1), 259).toString(), paths.at(1));
        QCOMPARE(model.data(model.index(1), 257).toDateTime(), QFileInfo(paths.at(1)).lastModified());
        for (int role : {1, 3, 256, 258, 261})
            QVERIFY2(!model.data(model.index(1), role).isValid(), qPrintable(QString::number(role)));
        QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
        QVERIFY(!model.data(model.index(3), Qt::DisplayRole).isValid());
        PlayListModel other;
        other.setPlayList({"/x/y.wav", "/x/z.wav", "/x/w.wav", "/x/v.wav"});
        QVERIFY(!model.data(other.index(3), Qt::DisplayRole).isValid());

        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Number"));
        QCOMPARE(model.headerData(4, Qt::Vertical, Qt::DisplayRole).toString(), QString("4"));
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
        QCOMPARE(model.mimeTypes(), QStringList{"text/uri-list"});
        const Qt::ItemFlags flags = model.flags(model.index(0));
        QVERIFY(flags & Qt::ItemIsEditable);
        QVERIFY(flags & Qt::ItemIsDropEnabled);
        QVERIFY(flags & Qt::ItemIsSelectable);
        QVERIFY(!(flags & Qt::ItemIsDragEnabled));
        QVERIFY(model.flags(QModelIndex()) & Qt::ItemIsDropEnabled);
    }

    void testSetData()
    {
        PlayListModel model;
        model.setPlayList({"/a/one.wav", "/a/two.wav"});
        QSignalSpy changed(&model, SIGNAL(dataChanged(QModelIndex, QModelIndex, QVector<int>)));
        QVERIFY(!model.setData(model.index(0), "x.wav", Qt::DisplayRole));
        QVERIFY(!model.setData(QModelIndex(), "x.wav", Qt::EditRole));
        QCOMPARE(changed.count(), 0);
        QVERIFY(model.setData(model.index(1), "/b/three.wav", Qt::EditRole));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(1));
        QVERIFY(changed.at(0).at(2).value<QVector<int>>().isEmpty());
        QCOMPARE(model.playList(), (QStringList{"/a/one.wav", "/b/three.wav"}));
    }

    // Measured once per row: a file changed afterwards keeps its cached time until the list is set again.
    void testCachingAndRemove()
    {
        const QString a = path("a.wav"), b = path("b.wav"), c = path("c.wav");
        QVERIFY(QFile::copy(path("tone.wav"), a));    // 2 s
        QVERIFY(QFile::copy(path("tone.mp3"), b));    // 3 s
        QVERIFY(QFile::copy(path("tone.flac"), c));   // 4 s
        PlayListModel model;
        model.setPlayList({a, b, c});
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        QCOMPARE(duration(model, 1), QTime(0, 0, 3));
        QCOMPARE(duration(model, 2), QTime(0, 0, 4));
        for (const QString& file : {a, b, c})
            QVERIFY(QFile::remove(file));

        QSignalSpy removing(&model, SIGNAL(rowsAboutToBeRemoved(QModelIndex, int, int)));
        QSignalSpy removed(&model, SIGNAL(rowsRemoved(QModelIndex, int, int)));
        QVERIFY(model.removeRows(5, 1));
        QVERIFY(model.removeRows(3, 1));
        QVERIFY(model.removeRows(1, 0));
        QCOMPARE(removed.count(), 0);
        QVERIFY(model.removeRows(1, 1));
        QCOMPARE(removing.count(), 1);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 1);
        QCOMPARE(removed.at(0).at(2).toInt(), 1);
        QCOMPARE(model.playList(), (QStringList{a, c}));
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        QCOMPARE(duration(model, 1), QTime(0, 0, 4));

        model.appendToPlayList({b});
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        QCOMPARE(duration(model, 2), QTime(0, 0, 0));

        QVERIFY(model.removeRows(1, 5));
        QCOMPARE(removed.count(), 2);
        QCOMPARE(removed.at(1).at(1).toInt(), 1);
        QCOMPARE(removed.at(1).at(2).toInt(), 2);
        QCOMPARE(model.playList(), QStringList{a});

        QVERIFY(QFile::copy(path("tone.m4a"), a));   // 1 s
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        model.setPlayList(model.playList());
        QCOMPARE(duration(model, 0), QTime(0, 0, 1));
        QVERIFY(QFile::remove(a));
    }

    void testResets()
    {
        PlayListModel model;
        QSignalSpy reset(&model, SIGNAL(modelReset()));
        model.appendToPlayList({});
        QCOMPARE(reset.count(), 0);
        model.setPlayList(QStringList());
        QCOMPARE(reset.count(), 1);
        model.appendToPlayList({"/a/1.wav", "/a/2.wav"});
        model.appendToPlayList({"/a/3.wav"});
        QCOMPARE(reset.count(), 3);
        QCOMPARE(model.playList(), (QStringList{"/a/1.wav", "/a/2.wav", "/a/3.wav"}));
        QVERIFY(model.removeRows(0, 2));
        QCOMPARE(model.playList(), QStringList{"/a/3.wav"});
    }

    // Plain visible files matching the filters, newest first.
    void testFolderPlayList()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList names{"old.wav", "new.wav", "middle.wav", ".hidden.wav", "skip.txt"};
        const QDateTime base = QDateTime::currentDateTime().addDays(-1);
        int minutes[] = {0, 30, 10, 40, 50};
        for (int i = 0; i < names.size(); ++i) {
            QFile file(dir.filePath(names.at(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(base.addSecs(minutes[i] * 60), QFileDevice::FileModificationTime));
        }
        QVERIFY(QDir(dir.path()).mkdir("sub.wav"));
        PlayListModel model;
        model.setPlayList(QDir(dir.path()), {"*.wav"});
        QCOMPARE(model.playList(),
                 (QStringList{dir.filePath("new.wav"), dir.filePath("middle.wav"), dir.filePath("old.wav")}));
    }

    // The files of the dragged rows come back from the "text/uri-list" bytes unchanged.
    void testMimeRoundTrip()
    {
        PlayListModel model;
        const QStringList paths{path("tone.wav"), "/tmp/a b/Ünïcode #1 %20.mp3", "/c/d.flac"};
        model.setPlayList(paths);
        std::unique_ptr<QMimeData> data(model.mimeData({model.index(2), model.index(0), model.index(1)}));
        QVERIFY(data);
        QVERIFY(data->hasFormat("text/uri-list"));
        QStringList decoded;
        for (const QByteArray& line : data->data("text/uri-list").split('\n')) {
            if (!line.trimmed().isEmpty())
                decoded << QUrl::fromEncoded(line.trimmed(), QUrl::StrictMode).toLocalFile();
        }
        QCOMPARE(decoded, (QStringList{paths.at(2), paths.at(0), paths.at(1)}));
        PlayListModel target;
        QStringList dropped;
        for (const QUrl& url : data->urls())
            dropped << url.toLocalFile();
        target.appendToPlayList(dropped);
        QCOMPARE(target.playList(), decoded);
    }

    void testModelTester()
    {
        PlayListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setPlayList({path("tone.wav"), path("notes.txt"), "/gone/x.mp3"});
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        model.appendToPlayList({path("tone.mp3")});
        QVERIFY(model.removeRows(1, 2));
        QVERIFY(model.setData(model.index(0), path("tone.flac"), Qt::EditRole));
        model.setPlayList(QDir(m_dir.path()), {"*.mp3", "*.wav"});
        QCOMPARE(model.rowCount(), 2);
        QVERIFY(model.removeRows(0, 10));
        QCOMPARE(model.rowCount(), 0);
    }

    void testMediaTracksModel()
    {
        MediaTracksModel model;
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
        QMediaPlaylist playlist;
        QVERIFY(playlist.addMedia(QUrl::fromLocalFile("/music/first song.mp3")));
        QVERIFY(playlist.addMedia(QUrl::fromLocalFile(path("tone.wav"))));
        model.setMediaPlaylist(&playlist);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("first song.mp3"));
        QCOMPARE(model.data(model.index(1), Qt::DisplayRole).toString(), QString("tone.wav"));
        QVERIFY(!model.data(model.index(1), Qt::EditRole).isValid());
        QSignalSpy changed(&model, SIGNAL(dataChanged(QModelIndex, QModelIndex, QVector<int>)));
        QVERIFY(model.setData(model.index(0), "ignored", Qt::EditRole));
        QVERIFY(!model.setData(model.index(0), "ignored", Qt::DisplayRole));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("first song.mp3"));
        QVERIFY(!(model.flags(model.index(0)) & Qt::ItemIsEditable));
        QCOMPARE(model.headerData(2, Qt::Vertical).toString(), QString("2"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Number"));
    }
};

TRELVANIC_TEST_MAIN(TestPlayListModel)
#include "tst_playlistmodel.moc"
