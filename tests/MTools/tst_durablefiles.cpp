#include "FuseDrive.h"
#include "InjectedFaults.h"
#include "SelfRun.h"
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
        // A child run for one test uses no drive.
        if (qEnvironmentVariableIsSet("DURABLE_CHILD_FOLDER"))
            return;
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

    // Without rename flags and links, the name is claimed and the file renamed onto the claim; a file system that
    // refuses that rename as "exists" has not had the name taken: the claim goes, the file stays where it is.
    void testRenameOntoClaimRefused()
    {
        const QString childFolder = qEnvironmentVariable("DURABLE_CHILD_FOLDER");
        if (!childFolder.isEmpty()) {
            const int error = MTools::DurableFiles::moveNoReplace(childFolder + "x.partial", childFolder + "x");
            QVERIFY2(error != 0 && error != EEXIST, qPrintable(qt_error_string(error)));
            return;
        }
        const QString folder = m_dir.filePath("claim/");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestKit::writeFile(folder + "x.partial", "finished"));
        const TestKit::ToolResult child = TestKit::runSelf(
            {"testRenameOntoClaimRefused"},
            TestKit::refusedCalls(folder, {{"renameat2", EINVAL}, {"link", EPERM}, {"rename", EEXIST}}) +
                QStringList{"DURABLE_CHILD_FOLDER=" + folder});
        QVERIFY2(child.exitCode == 0, child.out.constData());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"x.partial"});
    }
};

TRELVANIC_TEST_MAIN(TestDurableFiles)
#include "tst_durablefiles.moc"
