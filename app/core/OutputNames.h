#pragma once
// Free names for results, copies and run folders: "x.ext", then "x 2.ext", "x 3.ext" ...

#include <QSet>
#include <QString>

class OutputNames
{
public:
    // folder (with or without a trailing "/") + base + ext, or + base + " n" + ext for the first n = 2, 3 ...
    // that names no existing file or folder and is not in taken.
    static QString freeName(const QString& folder, const QString& base, const QString& ext,
                            const QSet<QString>& taken = {});
    // path (without a trailing "/") when nothing exists there, else path + " n" for the first free n = 2, 3 ...
    static QString freeFolder(const QString& path);
    // Creates the folder and its missing parents; true when it exists as a folder afterwards.
    static bool makeFolder(const QString& path);
    // Removes the folder and the folders below it that hold no file; whatever holds a file stays.
    static void removeEmptyFolders(const QString& path);
};
