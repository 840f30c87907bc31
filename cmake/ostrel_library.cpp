// The shared library's own translation unit: the layers are linked in whole,
// this file only gives the library a version symbol of its own.
extern "C" const char* ostrel_version() { return "1.0.0"; }
