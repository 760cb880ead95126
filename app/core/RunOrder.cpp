#include "RunOrder.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QThreadPool>

#include <algorithm>
#include <numeric>

std::vector<int> RunOrder::longestFirst(const QVector<QString>& files,
                                        const std::function<qint64(const QString&)>& seconds, int nThreads)
{
    std::vector<int> order(size_t(files.size()));
    std::iota(order.begin(), order.end(), 0);
    if (order.size() < 2)
        return order;
    std::vector<qint64> durations(order.size(), -1);
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(nThreads, 1));
    for (int i = 0; i < files.size(); ++i)
        pool.start([&durations, &seconds, &files, i] { durations[size_t(i)] = seconds(files[i]); });
    pool.waitForDone();
    std::stable_sort(order.begin(), order.end(),
                     [&durations](int a, int b) { return durations[size_t(a)] > durations[size_t(b)]; });

    // Each group of files whose free names may meet ("x", "X", "x 2" ...) takes the places the sort gave it, in list
    // order.
    QHash<QString, std::vector<int>> places;
    QHash<QString, std::vector<int>> members;
    const QRegularExpression numbered(QStringLiteral("( \\d+)+$"));
    const auto nameOf = [&files, &numbered](int index) {
        return QFileInfo(files[index]).completeBaseName().remove(numbered).toLower();
    };
    for (size_t place = 0; place < order.size(); ++place)
        places[nameOf(order[place])].push_back(int(place));
    for (int index = 0; index < files.size(); ++index)
        members[nameOf(index)].push_back(index);
    for (auto it = places.cbegin(); it != places.cend(); ++it) {
        const std::vector<int>& group = members[it.key()];
        for (size_t i = 0; i < group.size(); ++i)
            order[size_t(it.value()[i])] = group[i];
    }
    return order;
}
