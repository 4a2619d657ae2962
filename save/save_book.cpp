// Saving the book. Not written yet: the download that fills the chapter
// buffers comes first, and with it this routine.
#include "save/save.h"

void SaveBook() {}
