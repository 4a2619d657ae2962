// Worker threads: routines without arguments, started detached and never
// waited for.
#pragma once

void StartWorker(void (*routine)());
// How many started workers have not yet returned (tests wait on it).
int RunningWorkers();
