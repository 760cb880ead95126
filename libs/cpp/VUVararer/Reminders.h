#pragma once
// The arithmetic of the reminders: which kind comes, when one is due and how the counter advances.

#include <QtGlobal>

namespace VUVararer {

class Reminders
{
public:
    enum Kind { RateKind = 1, TellKind = 2, JoinKind = 4, StoreChoiceKind = 8 };

    // StoreChoiceKind: rate in store builds, share otherwise; several kind bits: one of them drawn with seed.
    static int chooseKind(int kind, quint32 seed, bool bAppStore);
    // True when count is a multiple of period; a period below 1 never falls due.
    static bool isDue(int count, int period);
    // The counter after one more opportunity: damaged values below -1 restart at 1, the top stays put.
    static int nextCount(int count);
};

} // namespace VUVararer
