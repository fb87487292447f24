// The sanitizer build of the browser tests. The WebEngine library's own sized deletes do not
// match (a fault inside it, not ours), and it and fontconfig keep allocations for the life of the
// process. The sanitizers read these hooks at start-up; other builds never call them.

extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n";
}
