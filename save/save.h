// Saving the downloaded book as a text file beside the program.
#pragma once

// Joins the three chapter buffers and writes the book as title-author.txt in
// the program's directory (UI thread, save mode of the search button).
void SaveBook();
