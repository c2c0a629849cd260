// A library that looks like a message catalogue but exports no LoadStr.
extern "C" __attribute__((visibility("default"))) const char* NotLoadStr(const char*) { return "x"; }
