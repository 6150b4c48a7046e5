/* What the two ways of reading a card share inside the library. Nothing here is exported. */
#ifndef IDM_INTERNAL_H
#define IDM_INTERNAL_H

#include <stdint.h>

/* The virtual card: the first line of the file named by VELMORA_CARD_FILE. */
int32_t idm_read_card_file(char* buffer);

/* A real reader through PC/SC, returning within half a second whatever the reader does. */
int32_t idm_read_pcsc(char* buffer);

/* The same read, taking as long as the reader takes; only idm_read_pcsc calls it. */
int32_t idm_read_pcsc_waiting(char* buffer);

#endif
