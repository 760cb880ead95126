#pragma once
// Files and folder entries that outlive a power cut: data and entries flushed to the disk, moves that never replace.

#include <QString>

namespace MTools {

class DurableFiles
{
public:
    // Flushes the file's data to the disk; true when done.
    static bool flushFile(const QString& path);
    // Flushes the folder's entries (names created, moved or removed in it) to the disk; true when done.
    static bool flushFolder(const QString& path);
    // Moves from to to unless anything is at to, on any file system: a rename that never replaces where the file
    // system has one, else a second link and the first one removed, else to claimed as a new empty file and from
    // renamed over that claim. 0 when moved, else the errno (EEXIST when to is taken) with from where it was.
    static int moveNoReplace(const QString& from, const QString& to);
};

} // namespace MTools
