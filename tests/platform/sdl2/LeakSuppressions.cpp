// The leak checker's built-in suppressions for this program: SDL's session-bus connection
// keeps memory inside libdbus that the program cannot free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
