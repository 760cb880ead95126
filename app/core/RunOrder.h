#pragma once
// The order in which a run converts its files: the longest first, so that no long file is left to be encoded alone
// at the end of the run.

#include <QVector>

#include <vector>

class RunOrder
{
public:
    // The list indices of count files in the order to convert them, by their whole seconds (the longest first;
    // files whose duration is unknown, -1 or missing from seconds, last, in list order).
    static std::vector<int> longestFirst(const QVector<qint64>& seconds, int count);
};
