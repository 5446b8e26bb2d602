// The name column's order: the store's entries ranked by name as CMyWString::Compare(…, TRUE)
// orders the names (their UTF-16 form, ASCII letters folded), names that compare equal sharing a
// rank. Built for one sort; a comparison then reads two numbers.
#pragma once

#include "engine/FileCollector.h"
#include "platform/framework/core/LargeMemory.h"

// vecRanks[nId] for every entry with an identifier (vecRanks is large enough for each): ranks from
// 1 in name order, or 0 for a name that cannot be converted, which CMyWString::Compare puts before
// every other. Other slots are left as they are.
void RankNamesInto(const CFileCollector& store, tessaly::framework::LargeVector<DWORD>& vecRanks);
