// Bounded store of computed peaks for one zoom value, evicted in insertion order.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>

#include <deque>
#include <map>
#include <utility>

namespace ZADovuzIdida {

class PeakInfoCache
{
public:
    explicit PeakInfoCache(const int& maxSize);

    // A different zoom empties the cache first; a full cache evicts its oldest inserted key.
    void insert(int x, int ch, const float& zoom, const PeakInfo& info);
    // The stored peak of (x, ch) for this zoom, or null; does not refresh the entry.
    const PeakInfo* find(int x, int ch, const float& zoom) const;
    // Removes every entry; bound and zoom stay.
    void reset();

private:
    int m_nBound;
    float m_fZoom;
    std::map<std::pair<int, int>, PeakInfo> m_mapEntries;
    std::deque<std::pair<int, int>> m_deqOrder;
};

} // namespace ZADovuzIdida
