#include <VUVararer/App.h>
#include <VUVararer/SecurityBookmark.h>
#include <VUVararer/SimpleBookmark.h>

#include "Probe.h"
#include "TestMain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using VUVararer::App;

class TestBookmarks : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString folder(const QString& name)
    {
        const QString strPath = m_dir.filePath(name);
        QDir().mkpath(strPath);
        return strPath;
    }

    QByteArray fileText()
    {
        App::theApp()->settings()->sync();
        QFile file(App::theApp()->settings()->fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        QCoreApplication::setApplicationName(QStringLiteral("A"));
        App::theApp()->settings()->clear();
    }

    void testSimpleBeforeCreate()
    {
        VUVararer::SimpleBookmark bookmark;
        QCOMPARE(bookmark.resolvingBookmark(), QUrl());
        QTest::ignoreMessage(QtDebugMsg, "bookmark is not resolved");
        QCOMPARE(bookmark.url(), QUrl());
        QTest::ignoreMessage(QtDebugMsg, "bookmark is not resolved");
        bookmark.startAccessingBookmark();
        QTest::ignoreMessage(QtDebugMsg, "bookmark is not resolved");
        bookmark.stopAccessingBookmark();
    }

    void testSimpleRoundTrip()
    {
        const QString strPath = folder(QStringLiteral("Ziel Ordner äöü"));
        VUVararer::SimpleBookmark bookmark;
        bookmark.createBookmark(QUrl::fromLocalFile(strPath));
        QCOMPARE(bookmark.resolvingBookmark(), QUrl::fromLocalFile(strPath));
        QCOMPARE(bookmark.url(), QUrl::fromLocalFile(strPath));
        bookmark.startAccessingBookmark();
        bookmark.stopAccessingBookmark();
        QVERIFY(fileText().contains("[A]\nbookmark=@ByteArray("));

        // A folder that is gone no longer resolves.
        QVERIFY(QDir(strPath).removeRecursively());
        QCOMPARE(bookmark.resolvingBookmark(), QUrl());
    }

    void testSimpleEmptyDataIsWritten()
    {
        VUVararer::SimpleBookmark bookmark;
        bookmark.createBookmark(QUrl());
        QVERIFY(App::theApp()->settings()->contains(QStringLiteral("A/bookmark")));
        QCOMPARE(App::theApp()->settingsValue(QStringLiteral("bookmark")).toByteArray(), QByteArray());
        QCOMPARE(bookmark.resolvingBookmark(), QUrl());
    }

    void testSimpleInNewProcess()
    {
        QTemporaryDir home;
        const QString strPath = folder(QStringLiteral("über alles/mit Blank"));
        FrameTest::ProbeResult made = FrameTest::runProbe(QStringLiteral("bookmark"), {strPath}, home.path());
        QCOMPARE(made.exitCode, 0);
        FrameTest::ProbeResult resolved = FrameTest::runProbe(QStringLiteral("resolve"), {}, home.path());
        QCOMPARE(resolved.exitCode, 0);
        QVERIFY2(resolved.out.contains("URL " + strPath.toUtf8() + "\n"), resolved.out.constData());
    }

    void testSecurityKeys()
    {
        const QUrl first = QUrl::fromLocalFile(folder(QStringLiteral("one")));
        const QUrl second = QUrl::fromLocalFile(folder(QStringLiteral("two")));
        const QUrl third = QUrl::fromLocalFile(folder(QStringLiteral("three")));
        VUVararer::SecurityBookmark bookmarks;
        QCOMPARE(bookmarks.bookmarkKeys(), QStringList());
        bookmarks.createBookmark(first);
        bookmarks.createBookmark(first);
        QCOMPARE(bookmarks.bookmarkKeys(), QStringList{QStringLiteral("bookmark0")});
        bookmarks.createBookmark(second);
        QCOMPARE(bookmarks.bookmarkKeys(), (QStringList{QStringLiteral("bookmark0"), QStringLiteral("bookmark1")}));
        QCOMPARE(bookmarks.cache().value(second), QStringLiteral("bookmark1"));

        const QByteArray text = fileText();
        QVERIFY2(text.contains("BookmarksGroup\\bookmark0=" + first.toLocalFile().toUtf8() + "\n"), text.constData());
        QVERIFY(text.startsWith("[A]\n"));

        // An emptied key is reused.
        App::theApp()->setSettingsValue(QStringLiteral("BookmarksGroup/bookmark0"), QString());
        bookmarks.createBookmark(third);
        QCOMPARE(App::theApp()->settingsValue(QStringLiteral("BookmarksGroup/bookmark0")).toString(),
                 third.toLocalFile());
        QCOMPARE(bookmarks.cache().value(third), QStringLiteral("bookmark0"));

        bookmarks.createBookmark(first, QStringLiteral("mine"));
        QCOMPARE(App::theApp()->settingsValue(QStringLiteral("BookmarksGroup/mine")).toString(), first.toLocalFile());
    }

    void testSecurityReload()
    {
        const QUrl first = QUrl::fromLocalFile(folder(QStringLiteral("reload one")));
        const QUrl second = QUrl::fromLocalFile(folder(QStringLiteral("reload zwei ß")));
        {
            VUVararer::SecurityBookmark bookmarks;
            bookmarks.createBookmark(first);
            bookmarks.createBookmark(second);
        }
        VUVararer::SecurityBookmark reloaded;
        QVERIFY(reloaded.isBookmarkForUrlAvailable(first));
        QVERIFY(reloaded.isBookmarkForUrlAvailable(second));
        QVERIFY(!reloaded.isBookmarkForUrlAvailable(QUrl::fromLocalFile(QStringLiteral("/nowhere"))));
        QCOMPARE(reloaded.resolvingBookmark(QStringLiteral("bookmark1")), second);
        QVERIFY(reloaded.resolvingBookmarkForUrl(first));
        QVERIFY(!reloaded.resolvingBookmarkForUrl(QUrl::fromLocalFile(QStringLiteral("/nowhere"))));
        // The unsigned road needs no access.
        reloaded.startAccessingBookmark();
        reloaded.stopAccessingBookmark();
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestBookmarks)
#include "tst_bookmarks.moc"
