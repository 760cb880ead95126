#pragma once
// Bytes free for the user on the volume that holds a folder.

#include <QString>

class FreeSpace
{
public:
    // From the mount table (QStorageInfo), else from the file system of the folder itself (statvfs), as where
    // no mount point holds the folder (a chroot); -1 when neither can tell.
    static qint64 available(const QString& folder);
    // statvfs on the folder: blocks free to unprivileged users times the fragment size; -1 on failure.
    static qint64 fromFileSystem(const QString& folder);
};
