// The search: the button whose caption is the program's mode, the reset
// worker, the failure counter and the three site workers.
#pragma once

#include "app/shared_state.h"
#include "text/text.h"

// The click handler of 搜索_超级按钮 (and of Enter in the search box), UI thread.
void SearchButtonClicked();
// Empties the result marks, restores the default detail texts and counts the
// cool-down down, one step a second.
void ResetWorker();
// A site worker's first step: waits until its search's reset worker has
// emptied the marks and restored the default texts.
void WaitForSearchReset();
// A site search failed without a message of its own; the third failure since
// start-up says so.
void NoteSourceFailure();

void SourceASearchWorker();
void SourceBSearchWorker();
void SourceCSearchWorker();

// The synopsis cleaning of SourceA and SourceB.
Text CleanSynopsis(const Text& synopsis);

// Messages.
extern const char* const kMessageNothingTyped;
extern const char* const kMessageSearching;
extern const char* const kMessageSearchFailedSS5;
