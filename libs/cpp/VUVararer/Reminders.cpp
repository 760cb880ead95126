#include "Reminders.h"

#include <QRandomGenerator>

#include <climits>

namespace VUVararer {

int Reminders::chooseKind(int kind, quint32 seed, bool bAppStore)
{
    if (kind == StoreChoiceKind)
        return bAppStore ? RateKind : TellKind;
    QRandomGenerator generator(seed);
    const quint32 nRandom = generator.generate();
    const bool bEven = nRandom % 2 == 0;
    const int nAll = RateKind | TellKind | JoinKind;
    if ((kind & nAll) == nAll) {
        static const int kinds[] = {RateKind, TellKind, JoinKind};
        return kinds[nRandom % 3];
    }
    if ((kind & (RateKind | TellKind)) == (RateKind | TellKind))
        return bEven ? RateKind : TellKind;
    if ((kind & (RateKind | JoinKind)) == (RateKind | JoinKind))
        return bEven ? RateKind : JoinKind;
    if ((kind & (TellKind | JoinKind)) == (TellKind | JoinKind))
        return bEven ? JoinKind : TellKind;
    return kind;
}

bool Reminders::isDue(int count, int period) { return period > 0 && count % period == 0; }

int Reminders::nextCount(int count)
{
    if (count < -1)
        return 1;
    if (count == INT_MAX)
        return INT_MAX;
    return count + 1;
}

} // namespace VUVararer
