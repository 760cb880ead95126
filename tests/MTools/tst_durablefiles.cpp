#include "FuseDrive.h"
#include "TestMain.h"
#include "Tools.h"

#include <MTools/DurableFiles.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <memory>

class TestDurableFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // The drives by kind, each with the reason it could not be mounted.
    std::unique_ptr<TestKit::FuseDrive> m_drives[2];
    QString m_strRefused[2];

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const auto kind : {TestKit::FuseDrive::Ntfs, TestKit::FuseDrive::Exfat}) {
            m_drives[kind] = std::make_unique<TestKit::FuseDrive>(kind, m_dir.filePath(TestKit::FuseDrive::name(kind)));
            if (!m_drives[kind]->mount(&m_strRefused[kind]))
                m_drives[kind].reset();
        }
    }

    void cleanupTestCase()
    {
        for (auto& drive : m_drives)
            drive.reset();
    }

    void testMoveNoReplace_data()
    {
        QTest::addColumn<int>("drive");
        QTest::addColumn<bool>("taken");
        // Rename flags on the local disk; links on NTFS; neither on exFAT.
        for (const int drive : {-1, int(TestKit::FuseDrive::Ntfs), int(TestKit::FuseDrive::Exfat)}) {
            const char* name = drive < 0 ? "local" : TestKit::FuseDrive::name(TestKit::FuseDrive::Kind(drive));
            QTest::addRow("%s, free", name) << drive << false;
            QTest::addRow("%s, taken", name) << drive << true;
        }
    }

    // A free name receives the file and nothing else is left; a taken one stays as it is, and so does the file.
    void testMoveNoReplace()
    {
        QFETCH(int, drive);
        QFETCH(bool, taken);
        if (drive >= 0 && !m_drives[drive])
            QSKIP(qPrintable("the drive can not be mounted: " + m_strRefused[drive]));
        const QString folder =
            (drive < 0 ? m_dir.path() + '/' : m_drives[drive]->path()) + (taken ? "taken/" : "free/");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestKit::writeFile(folder + "x.partial", "finished"));
        if (taken)
            QVERIFY(TestKit::writeFile(folder + "x", "user"));
        QCOMPARE(MTools::DurableFiles::moveNoReplace(folder + "x.partial", folder + "x"), taken ? EEXIST : 0);
        QCOMPARE(TestKit::readFile(folder + "x"), QByteArray(taken ? "user" : "finished"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 taken ? QStringList({"x", "x.partial"}) : QStringList{"x"});
    }
};

TRELVANIC_TEST_MAIN(TestDurableFiles)
#include "tst_durablefiles.moc"
