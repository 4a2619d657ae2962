// The program's entry point: the start routine runs the window until it is closed.
int main() { return 0; }
