#include <VUVararer/App.h>
#include <VUVararer/SecurityBookmark.h>
#include <VUVararer/SimpleBookmark.h>

#include "Probe.h"
#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

using VUVararer::App;

class TestBookmarks : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QUrl folder(const QString& name)
    {
        const QString strPath = m_dir.filePath(name);
        QDir().mkpath(strPath);
        return QUrl::fromLocalFile(strPath);
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

    void testSimple()
    {
        VUVararer::SimpleBookmark bookmark;
        QCOMPARE(bookmark.resolvingBookmark(), QUrl());
        QTest::ignoreMessage(QtDebugMsg, "bookmark is not resolved");
        bookmark.startAccessingBookmark();

        const QUrl url = folder(QStringLiteral("Ziel Ordner äöü"));
        bookmark.createBookmark(url);
        QCOMPARE(bookmark.resolvingBookmark(), url);
        QCOMPARE(bookmark.url(), url);
        QVERIFY(fileText().contains("[A]\nbookmark=@ByteArray("));
        // A folder that is gone no longer resolves.
        QVERIFY(QDir(url.toLocalFile()).removeRecursively());
        QCOMPARE(bookmark.resolvingBookmark(), QUrl());
        bookmark.createBookmark(QUrl());
        QVERIFY(App::theApp()->settings()->contains(QStringLiteral("A/bookmark")));
        QCOMPARE(bookmark.resolvingBookmark(), QUrl());

        // Across processes, through the settings file.
        QTemporaryDir home;
        const QString strPath = folder(QStringLiteral("über alles/mit Blank")).toLocalFile();
        QCOMPARE(FrameTest::runProbe("bookmark", {strPath}, home.path()).exitCode, 0);
        const FrameTest::ProbeResult resolved = FrameTest::runProbe("resolve", {}, home.path());
        QVERIFY2(resolved.out.contains("URL " + strPath.toUtf8() + "\n"), resolved.out.constData());
    }

    void testSecurity()
    {
        const QUrl first = folder(QStringLiteral("one"));
        const QUrl second = folder(QStringLiteral("zwei ß"));
        const QUrl third = folder(QStringLiteral("three"));
        {
            VUVararer::SecurityBookmark bookmarks;
            QCOMPARE(bookmarks.bookmarkKeys(), QStringList());
            bookmarks.createBookmark(first);
            bookmarks.createBookmark(first);
            bookmarks.createBookmark(second);
            QCOMPARE(bookmarks.bookmarkKeys(), (QStringList{QStringLiteral("bookmark0"), QStringLiteral("bookmark1")}));
            QCOMPARE(bookmarks.cache().value(second), QStringLiteral("bookmark1"));
            const QByteArray text = fileText();
            QVERIFY2(text.startsWith("[A]\n"), text.constData());
            QVERIFY2(text.contains("BookmarksGroup\\bookmark0=" + first.toLocalFile().toUtf8() + "\n"),
                     text.constData());
        }
        VUVararer::SecurityBookmark reloaded;
        QVERIFY(reloaded.isBookmarkForUrlAvailable(first) && reloaded.isBookmarkForUrlAvailable(second));
        QVERIFY(!reloaded.isBookmarkForUrlAvailable(QUrl::fromLocalFile(QStringLiteral("/nowhere"))));
        QCOMPARE(reloaded.resolvingBookmark(QStringLiteral("bookmark1")), second);
        QVERIFY(reloaded.resolvingBookmarkForUrl(first));
        QVERIFY(!reloaded.resolvingBookmarkForUrl(QUrl::fromLocalFile(QStringLiteral("/nowhere"))));

        // An emptied key is reused.
        App::theApp()->setSettingsValue(QStringLiteral("BookmarksGroup/bookmark0"), QString());
        reloaded.createBookmark(third);
        QCOMPARE(App::theApp()->settingsValue(QStringLiteral("BookmarksGroup/bookmark0")).toString(),
                 third.toLocalFile());
        QCOMPARE(reloaded.cache().value(third), QStringLiteral("bookmark0"));
        reloaded.createBookmark(first, QStringLiteral("mine"));
        QCOMPARE(App::theApp()->settingsValue(QStringLiteral("BookmarksGroup/mine")).toString(), first.toLocalFile());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestBookmarks)
#include "tst_bookmarks.moc"
