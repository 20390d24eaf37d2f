// A library with one thread-local variable, loaded at run time by the leak
// check's test (platform): the C library gives each thread that touches the
// variable a block of its own when it is first looked up.
namespace {
thread_local void* slot = nullptr;
}

extern "C" __attribute__((visibility("default"))) void** mj_tls_probe_slot()
{
    return &slot;
}
