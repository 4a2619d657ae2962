// The application shell: the start routine, the result display and the small
// window behaviours, and the start-up notice check.
#pragma once

#include "app/settings.h"
#include "text/text.h"

// The start routine: makes the shared state, reads the settings, shows the
// window and runs it until it is closed, then ends the process.
[[noreturn]] void RunProgram();
// The part of the start that comes before the window: fresh shared state and
// the settings, read through `lookup` (the environment by default). Tests
// start the program through it too.
void PrepareProgram(EnvironmentLookup lookup = nullptr);
// Run when the program ends.
void ExitCleanup();

// The creation event of 窗口: asks the update page for the usage count and
// the newest version.
void StartupNoticeCheck();

// Result buttons 1 to 5: show slot n in the detail fields while the button
// carries its slot's mark.
void ResultButtonClicked(int n);
void TitleStripPressed();
void CloseButtonClicked();
void SearchBoxGotFocus();
void SearchBoxLostFocus();
void SearchBoxKeyPressed(int key);
void SynopsisWheel(int distance);
void MessageLabelMouseMoved();

// The synopsis box's text for a slot without a synopsis.
extern const char* const kNoSynopsis;
// The update page's path on the update host.
extern const char* const kUpdatePagePath;
