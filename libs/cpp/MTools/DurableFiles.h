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
    // Moves from to to in one step unless anything is at to; 0 when moved, else the errno (EEXIST when to is taken).
    static int moveNoReplace(const QString& from, const QString& to);
};

} // namespace MTools
