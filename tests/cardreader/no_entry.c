/* A library without get_idm, for the binding's missing-entry-point case. */
int velmora_not_get_idm(void) { return 0; }
