// The sanitizers' settings that every program of a sanitized build starts
// with; options given in ASAN_OPTIONS and LSAN_OPTIONS come on top of them.
//
// The browser engine's library (built without the sanitizers, but using the
// process's operator new and delete, which the sanitizer replaces) has two
// faults of its own: whenever a page that has loaded anything is destroyed,
// it deletes an object of 88 bytes through a pointer to a 24-byte type that
// has no virtual destructor, which the sized-delete check reports; and it
// leaves objects behind at exit. The check has no per-library suppression, so
// it is switched off (our own code has -Wdelete-non-virtual-dtor for the same
// fault); the library's leaks are not reported.
//
// The sanitizer runtime of GCC 12 watches every look-up of a thread-local
// variable of a library loaded at run time (the JPEG decoder behind Qt's
// picture plug-in is one). When the C library's block for such a variable
// happens to start 16 bytes into a memory page, the runtime takes the 16 bytes
// before it for the block header of C libraries older than 2.25 and reads a
// bogus address range from them; the leak check at exit then crashes reading
// that range, after a test has passed. Where the block lands follows from
// everything allocated before it, the locale's data among them, so one locale
// trips it and another does not. Without the watch the leak check still
// follows those blocks: they are allocations of the dynamic linker, which it
// scans like any other.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0:intercept_tls_get_addr=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n";
}
