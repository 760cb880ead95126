#include <ZADovuzIdida/_VozIdavi/Common/PeakInfoCache.h>

namespace ZADovuzIdida {

PeakInfoCache::PeakInfoCache(const int& maxSize) : m_nBound(maxSize), m_fZoom(0.0f) {}

void PeakInfoCache::insert(int x, int ch, const float& zoom, const PeakInfo& info)
{
    if (!(zoom == m_fZoom)) {
        m_fZoom = zoom;
        reset();
    }
    if (!m_deqOrder.empty() && int(m_deqOrder.size()) >= m_nBound) {
        m_mapEntries.erase(m_deqOrder.front());
        m_deqOrder.pop_front();
    }
    const std::pair<int, int> key(x, ch);
    m_mapEntries[key] = info;
    m_deqOrder.push_back(key);
}

const PeakInfo* PeakInfoCache::find(int x, int ch, const float& zoom) const
{
    if (!(zoom == m_fZoom))
        return nullptr;
    const auto it = m_mapEntries.find(std::make_pair(x, ch));
    return it == m_mapEntries.end() ? nullptr : &it->second;
}

void PeakInfoCache::reset()
{
    m_mapEntries.clear();
    m_deqOrder.clear();
}

} // namespace ZADovuzIdida
