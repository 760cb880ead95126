#pragma once
// The initial Blowfish subkeys and substitution boxes (digits of pi).

#include <QtGlobal>

namespace BlowFishTables {
extern const quint32 initialP[18];
extern const quint32 initialS[4][256];
} // namespace BlowFishTables
