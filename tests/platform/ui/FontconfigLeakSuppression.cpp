// Fontconfig keeps its configuration and pattern caches until the process ends (Pango holds them
// through its per-thread font map): LeakSanitizer would report them after every test that
// shapes text. Read only by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
