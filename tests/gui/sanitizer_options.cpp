// The sanitizers' suppressions for this test binary; the programs it starts get the same files
// through LSAN_OPTIONS and TSAN_OPTIONS (updater_window_test.cpp). Without a sanitizer nothing
// calls these.
extern "C" const char* __lsan_default_options();
extern "C" const char* __tsan_default_options();

extern "C" const char* __lsan_default_options() {
    return "suppressions=" KT73B_LSAN_SUPPRESSIONS;
}

extern "C" const char* __tsan_default_options() {
    return "suppressions=" KT73B_TSAN_SUPPRESSIONS;
}
