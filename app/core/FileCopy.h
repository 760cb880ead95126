#pragma once
// Copies of a run's other files that appear under their name whole, or not at all.

#include <QString>

class FileCopy
{
public:
    // Copies source into folder as base + ext, or under the next free name of that base when the name is taken
    // meanwhile, never over a file, with the source's permissions where the drive takes them. The copy is written
    // unnamed and linked to its name once complete and on disk; where the file system has no unnamed files it is
    // written beside and moved there. Then the folder's entry is flushed. The name the copy took, or empty with nothing
    // left; *pReason says why when anything failed, also when the copy stays but its entry is not on the disk.
    static QString copy(const QString& source, const QString& folder, const QString& base, const QString& ext,
                        QString* pReason);

private:
    // Gives the complete copy its name: the unnamed file fd linked, or the working file partial moved, never over
    // a file; 0, or the errno (EEXIST when the name is taken).
    static int giveName(int fd, const QString& partial, const QString& name);
    // Writes everything of in to out; false on a read or write error.
    static bool pour(int in, int out);
};
