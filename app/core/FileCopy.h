#pragma once
// Copies of a run's other files that appear under their name whole, or not at all.

#include <QString>

class FileCopy
{
public:
    // Copies source to target, which is never overwritten, with the source's permissions. The copy is written
    // unnamed and linked to target once complete and on disk; where the file system has no unnamed files it is
    // written as target + ".partial" and renamed. False, with nothing left, when it cannot be made.
    static bool copy(const QString& source, const QString& target);

private:
    // Writes everything of in to out; false on a read or write error.
    static bool pour(int in, int out);
};
