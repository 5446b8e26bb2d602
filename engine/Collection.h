// The collection procedure that runs on the collection worker after a confirmed Add: the picked
// files and folders go into the owner's collection, duplicate titles are reported and removed, the
// entries get their list identifiers and the owner's list is refilled. The window and the batch
// tool run this same procedure; it reaches them only through ICollectionOwner/ICollectionPicker.
#pragma once

#include "engine/CollectionHost.h"

// Runs the whole collection for one picker. On every path, a null picker included, the picker is
// released and the owner is told that the work is done. An abort (g_bAbort) shortens the scans
// only: what was found still goes through the duplicate check and is shown. g_bCollecting is set
// while the scans and the duplicate report run.
void RunCollection(ICollectionOwner& owner, ICollectionPicker* pPicker);

// RunCollection in two halves, for a caller that gathers several picks into one collection and
// checks it for duplicates once (the batch tool): CollectPicks adds one picker's files and walks
// its folders (FALSE, adding nothing, when the picker has no folder); FinishCollection reports and
// removes the duplicates, assigns identifiers and shows the list. Neither releases a picker nor
// tells the owner that the work is done. g_bCollecting is set from the first CollectPicks to the
// end of FinishCollection's report.
BOOL CollectPicks(ICollectionOwner& owner, const ICollectionPicker& picker);
void FinishCollection(ICollectionOwner& owner);
