#pragma once
// The order in which a run converts its files: the longest first, so that no long file is left to be encoded alone
// at the end of the run.

#include <QString>
#include <QVector>

#include <functional>
#include <vector>

class RunOrder
{
public:
    // The list indices of files in the order to convert them, by their durations as seconds() tells them, asked on
    // up to nThreads threads at once (unknown ones, -1, last, in list order). Files whose results would share a name
    // keep their list order among themselves, so that the names "x", "x 2" ... still follow the list.
    static std::vector<int> longestFirst(const QVector<QString>& files,
                                         const std::function<qint64(const QString&)>& seconds, int nThreads);
};
