#pragma once
// Free names for results, copies and run folders: "x.ext", then "x 2.ext", "x 3.ext" ...

#include <QSet>
#include <QString>

#include <functional>

class OutputNames
{
public:
    // Names one file may try: more taken one after the other is no user's doing but a file system that calls every
    // name taken.
    static constexpr int NamesTried = 100;

    // folder (with or without a trailing "/") + base + ext, or + base + " n" + ext for the first n = 2, 3 ...
    // that names no existing file or folder and is not in taken.
    static QString freeName(const QString& folder, const QString& base, const QString& ext,
                            const QSet<QString>& taken = {});
    // Creates freeName(folder, base, ext) as an empty file, failing when anything is there, and tries the next name
    // while that one was taken meanwhile; the name created, or the one that could not be.
    static QString claimName(const QString& folder, const QString& base, const QString& ext);
    // Names a complete file through give (0, or the errno: EEXIST when the name is taken): first, and while the name
    // tried was taken meanwhile, the next free name of base + ext in first's folder, up to a bound. 0, or the errno of
    // the last name tried; *pName is the name given or tried last.
    static int giveFreeName(const QString& first, const QString& base, const QString& ext,
                            const std::function<int(const QString&)>& give, QString* pName);
    // Creates the folder path (without a trailing "/") after its missing parents, or path + " n" for the first n = 2,
    // 3 ... where no folder or file is there; a folder made meanwhile by anyone else is never taken. The folder made,
    // or empty when none can be.
    static QString makeFreeFolder(const QString& path);
    // Creates the folder and its missing parents, each flushed into its parent; true when it exists as a folder
    // afterwards.
    static bool makeFolder(const QString& path);
    // Removes the folder and the folders below it that hold no file; whatever holds a file stays.
    static void removeEmptyFolders(const QString& path);
};
