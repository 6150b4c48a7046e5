/* What the two ways of reading a card share inside the library. Nothing here is exported. */
#ifndef IDM_INTERNAL_H
#define IDM_INTERNAL_H

#include <stdint.h>

/* The virtual card: the first line of the file named by VELMORA_CARD_FILE. */
int32_t idm_read_card_file(char* buffer);

/* A real reader through PC/SC. */
int32_t idm_read_pcsc(char* buffer);

#endif
