/* A library without get_idm, for the binding's missing-entry-point test. */
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
    int velmora_not_get_idm(void) {
    return 0;
}
