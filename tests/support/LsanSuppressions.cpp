// Leaks inside system libraries that the window tests load (fontconfig's
// caches, kept for the life of the process); not ours. Linked into every
// test program of the sanitizer build only.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
