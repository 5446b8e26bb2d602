// tessaly-batch's journal commands: --journals lists the runs' journals, --undo takes a run back.
#pragma once

#include "tools/batch/BatchOptions.h"

// Lists the journals, oldest first: time, program, operation folder, files moved, size, whether
// undone. Exit status 0, or 1 when there is no journal folder.
int ListJournalsCommand();

// Undoes the journal the options name (the newest not yet undone by default), or with --dry-run
// says what it would do. Exit status as the run's: 0 every file back, 1 something kept or nothing
// to undo, 2 a journal that cannot be read, 130 interrupted.
int UndoCommand(const CBatchOptions& options);
