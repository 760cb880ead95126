#include "MediaTestKit.h"
#include "TestMain.h"

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

    static QTime duration(PlayListModel& model, int row)
    {
        return model.data(model.index(row), PlayListModel::DurationRole).toTime();
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
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=d=2.3:s=64x48", "-f", "lavfi", "-i", "sine=d=2.3",
                                  "-shortest", "-c:v", "mpeg4", "-c:a", "aac", path("clip.mp4")}));
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "testsrc=d=1.5:s=64x48", "-c:v", "mpeg4", path("silent.mp4")}));
        QVERIFY(MediaKit::writeFile(path("notes.txt"), "no sound here\n"));
    }

    // Whole seconds, truncated, as ffprobe reports the container's duration.
    void testDurations()
    {
        for (const char* name : {"tone.wav", "tone.mp3", "tone.m4a", "tone.flac", "clip.mp4", "silent.mp4"}) {
            const QString file = path(name);
            const int seconds = int(std::floor(MediaKit::probeSeconds(file)));
            QVERIFY2(seconds > 0, name);
            QVERIFY(NativeAudioTools::isPlayable(QUrl::fromLocalFile(file)));
            QCOMPARE(NativeAudioTools::duration(QUrl::fromLocalFile(file)), qint64(seconds));
            PlayListModel model;
            model.setPlayList({file});
            QCOMPARE(duration(model, 0), QTime(0, 0, 0).addSecs(seconds));
        }
    }

    void testNotPlayable()
    {
        const QString missing = path("missing.wav");
        QVERIFY(!NativeAudioTools::isPlayable(QUrl::fromLocalFile(missing)));
        QCOMPARE(NativeAudioTools::duration(QUrl::fromLocalFile(missing)), qint64(-1));
        QCOMPARE(NativeAudioTools::duration(QUrl::fromLocalFile(path("notes.txt"))), qint64(-1));
        QCOMPARE(NativeAudioTools::duration(QUrl("http://127.0.0.1:9/tone.wav")), qint64(-1));
        PlayListModel model;
        model.setPlayList({missing, path("notes.txt")});
        QCOMPARE(duration(model, 0), QTime(0, 0, 0));
        QCOMPARE(duration(model, 1), QTime(0, 0, 0));
        QVERIFY(!model.data(model.index(0), PlayListModel::LastModifiedRole).toDateTime().isValid());
    }

    void testRolesAndEdits()
    {
        PlayListModel model;
        const QStringList paths{"/a/b/Song.mp3", path("tone.wav")};
        model.setPlayList(paths);
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("Song.mp3"));
        QCOMPARE(model.data(model.index(0), Qt::EditRole).toString(), QString("Song.mp3"));
        QCOMPARE(model.data(model.index(1), 259).toString(), paths.at(1));
        QCOMPARE(model.data(model.index(1), 257).toDateTime(), QFileInfo(paths.at(1)).lastModified());
        for (int role : {1, 3, 256, 258, 261})
            QVERIFY2(!model.data(model.index(1), role).isValid(), qPrintable(QString::number(role)));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Number"));
        QCOMPARE(model.headerData(4, Qt::Vertical, Qt::DisplayRole).toString(), QString("4"));
        QCOMPARE(model.mimeTypes(), QStringList{"text/uri-list"});
        const Qt::ItemFlags flags = model.flags(model.index(0));
        QVERIFY((flags & Qt::ItemIsEditable) && (flags & Qt::ItemIsDropEnabled) && (flags & Qt::ItemIsSelectable));

        QSignalSpy changed(&model, SIGNAL(dataChanged(QModelIndex, QModelIndex, QVector<int>)));
        QVERIFY(!model.setData(model.index(0), "x.wav", Qt::DisplayRole));
        QVERIFY(model.setData(model.index(1), "/b/three.wav", Qt::EditRole));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.playList(), (QStringList{"/a/b/Song.mp3", "/b/three.wav"}));
    }

    // Measured once per row; removal clips its range and keeps the other rows' cached times.
    void testCachingAndRemove()
    {
        const QString a = path("a.wav"), b = path("b.wav"), c = path("c.wav");
        QVERIFY(QFile::copy(path("tone.wav"), a) && QFile::copy(path("tone.mp3"), b) &&
                QFile::copy(path("tone.flac"), c));
        PlayListModel model;
        model.setPlayList({a, b, c});
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        QCOMPARE(duration(model, 1), QTime(0, 0, 3));
        QCOMPARE(duration(model, 2), QTime(0, 0, 4));
        for (const QString& file : {a, b, c})
            QVERIFY(QFile::remove(file));

        QSignalSpy removed(&model, SIGNAL(rowsRemoved(QModelIndex, int, int)));
        QSignalSpy reset(&model, SIGNAL(modelReset()));
        QVERIFY(model.removeRows(5, 1) && model.removeRows(3, 1) && model.removeRows(1, 0));
        QCOMPARE(removed.count(), 0);
        QVERIFY(model.removeRows(1, 1));
        QCOMPARE(model.playList(), (QStringList{a, c}));
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        QCOMPARE(duration(model, 1), QTime(0, 0, 4));

        model.appendToPlayList({});
        QCOMPARE(reset.count(), 0);
        model.appendToPlayList({b});
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        QCOMPARE(duration(model, 2), QTime(0, 0, 0));
        QVERIFY(model.removeRows(1, 5));
        QCOMPARE(removed.count(), 2);
        QCOMPARE(removed.at(1).at(1).toInt(), 1);
        QCOMPARE(removed.at(1).at(2).toInt(), 2);
        QCOMPARE(model.playList(), QStringList{a});

        QVERIFY(QFile::copy(path("tone.m4a"), a));
        QCOMPARE(duration(model, 0), QTime(0, 0, 2));
        model.setPlayList(model.playList());
        QCOMPARE(duration(model, 0), QTime(0, 0, 1));
        QVERIFY(QFile::remove(a));
    }

    // Many rows measured at once, the list replaced and extended meanwhile: each row gets its own file's time, and a
    // model destroyed with measurements under way waits for them.
    void testManyRows()
    {
        QStringList paths;
        for (int i = 0; i < 90; ++i)
            paths << path(i % 3 ? "tone.wav" : "tone.mp3");
        auto* pModel = new PlayListModel;
        pModel->setPlayList(paths);
        pModel->setPlayList(paths.mid(1));
        pModel->appendToPlayList(paths.mid(0, 2));
        QCOMPARE(pModel->rowCount(), 91);
        for (int row = 0; row < pModel->rowCount(); ++row) {
            const int seconds = pModel->playList().at(row).endsWith(".mp3") ? 3 : 2;
            QCOMPARE(duration(*pModel, row), QTime(0, 0, seconds));
        }
        pModel->setPlayList(paths);
        delete pModel;
    }

    // Plain visible files matching the filters, newest first.
    void testFolderPlayList()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList names{"old.wav", "new.wav", "middle.wav", ".hidden.wav", "skip.txt"};
        const int minutes[] = {0, 30, 10, 40, 50};
        const QDateTime base = QDateTime::currentDateTime().addDays(-1);
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
        QVERIFY(data && data->hasFormat("text/uri-list"));
        QStringList decoded;
        for (const QByteArray& line : data->data("text/uri-list").split('\n')) {
            if (!line.trimmed().isEmpty())
                decoded << QUrl::fromEncoded(line.trimmed(), QUrl::StrictMode).toLocalFile();
        }
        QCOMPARE(decoded, (QStringList{paths.at(2), paths.at(0), paths.at(1)}));
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
        QMediaPlaylist playlist;
        QVERIFY(playlist.addMedia(QUrl::fromLocalFile("/music/first song.mp3")));
        QVERIFY(playlist.addMedia(QUrl::fromLocalFile(path("tone.wav"))));
        model.setMediaPlaylist(&playlist);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("first song.mp3"));
        QCOMPARE(model.data(model.index(1), Qt::DisplayRole).toString(), QString("tone.wav"));
        QVERIFY(model.setData(model.index(0), "ignored", Qt::EditRole));
        QCOMPARE(model.data(model.index(0), Qt::DisplayRole).toString(), QString("first song.mp3"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Number"));
    }
};

TRELVANIC_TEST_MAIN(TestPlayListModel)
#include "tst_playlistmodel.moc"
