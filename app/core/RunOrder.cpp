#include "RunOrder.h"

#include <algorithm>
#include <numeric>

std::vector<int> RunOrder::longestFirst(const QVector<qint64>& seconds, int count)
{
    std::vector<int> order(size_t(std::max(count, 0)));
    std::iota(order.begin(), order.end(), 0);
    const auto duration = [&seconds](int index) { return index < seconds.size() ? seconds[index] : -1; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return duration(a) > duration(b); });
    return order;
}
