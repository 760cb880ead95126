#include "FuseDrive.h"

#include "Tools.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace TestKit {

namespace {

// Drive tools live in the system folders, which a user's search path may leave out.
QString findTool(const QString& program)
{
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? QStandardPaths::findExecutable(program, {"/usr/sbin", "/sbin"}) : found;
}

} // namespace

FuseDrive::FuseDrive(Kind kind, const QString& folder) : m_kind(kind), m_strFolder(QDir::cleanPath(folder)) {}

FuseDrive::~FuseDrive()
{
    if (m_bMounted && runTool(findTool("fusermount3"), {"-u", m_strFolder}, 30000).exitCode != 0)
        runTool(findTool("umount"), {m_strFolder}, 30000);
    if (!m_strLoop.isEmpty())
        runTool(findTool("losetup"), {"-d", m_strLoop}, 30000);
    QFile::remove(m_strFolder + ".img");
}

bool FuseDrive::step(const QString& program, const QStringList& args, QString* pWhy, QByteArray* pOut)
{
    const QString tool = findTool(program);
    const ToolResult result = tool.isEmpty() ? ToolResult() : runTool(tool, args, 60000);
    if (result.exitCode == 0) {
        if (pOut)
            *pOut = result.out.trimmed();
        return true;
    }
    *pWhy = tool.isEmpty() ? program + " is not installed"
                           : program + " refused: " + QString::fromLocal8Bit(result.err).trimmed();
    return false;
}

bool FuseDrive::mount(QString* pWhy)
{
    const QString image = m_strFolder + ".img";
    QFile file(image);
    if (!QDir().mkpath(m_strFolder) || !file.open(QIODevice::WriteOnly) || !file.resize(32 << 20)) {
        *pWhy = "can not make " + image;
        return false;
    }
    file.close();
    if (m_kind == Ntfs) {
        m_bMounted = step("mkntfs", {"-F", "-Q", "-q", image}, pWhy) && step("ntfs-3g", {image, m_strFolder}, pWhy);
        return m_bMounted;
    }
    QByteArray loop;
    if (!step("mkfs.exfat", {image}, pWhy) || !step("losetup", {"-f", "--show", image}, pWhy, &loop))
        return false;
    m_strLoop = QString::fromLocal8Bit(loop);
    m_bMounted = step("mount.exfat-fuse", {m_strLoop, m_strFolder}, pWhy);
    return m_bMounted;
}

} // namespace TestKit
