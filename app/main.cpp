// The program's entry point.
#include "app/shell.h"

int main() { RunProgram(); }
