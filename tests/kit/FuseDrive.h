#pragma once
// A drive of a file system users plug in (NTFS, exFAT), made as an image file and mounted through FUSE for a test.

#include <QString>

namespace TestKit {

class FuseDrive
{
public:
    enum Kind { Ntfs, Exfat };

    // The image is folder + ".img"; the drive appears at folder once mounted.
    FuseDrive(Kind kind, const QString& folder);
    // Unmounts the drive and frees its loop device.
    ~FuseDrive();
    FuseDrive(const FuseDrive&) = delete;
    FuseDrive& operator=(const FuseDrive&) = delete;

    // Makes the image and mounts it; false, with the reason in *pWhy, when the system refuses or a tool is missing.
    bool mount(QString* pWhy);
    // The mounted drive's folder, with a trailing "/".
    QString path() const { return m_strFolder + '/'; }
    static const char* name(Kind kind) { return kind == Ntfs ? "ntfs-3g" : "exfat-fuse"; }

private:
    bool step(const QString& program, const QStringList& args, QString* pWhy, QByteArray* pOut = nullptr);

    Kind m_kind;
    QString m_strFolder;
    QString m_strLoop;
    bool m_bMounted = false;
};

} // namespace TestKit
