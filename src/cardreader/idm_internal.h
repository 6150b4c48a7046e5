/* What the two ways of reading a card share inside the library. Nothing here is exported. */
#ifndef IDM_INTERNAL_H
#define IDM_INTERNAL_H

#include "sony_idm.h"

#include <stdint.h>

/* The virtual card: the first line of the file named by VELMORA_CARD_FILE. */
int32_t idm_read_card_file(char* buffer);

/* A real reader through PC/SC, returning within half a second whatever the reader does. */
int32_t idm_read_pcsc(char* buffer);

/* Longer reader names are cut; PC/SC's own limit is 128 bytes. */
#define IDM_READER_NAME_SIZE 256
/* Reads left hanging at most, each on a reader of its own; a PC seldom has more readers. */
#define IDM_MAX_HUNG 4

/* One PC/SC read, run by idm_read_pcsc on a thread of its own. */
struct idm_pcsc_job {
    /* Set before the read starts: readers whose earlier read still hangs, never touched. */
    char skip[IDM_MAX_HUNG][IDM_READER_NAME_SIZE];
    int skipped;
    /* Under idm_lock: the reader whose card the read is asking now, "" between cards. */
    char reader[IDM_READER_NAME_SIZE];
    /* The outcome: get_idm's result and the IDm, read only once the read has ended. */
    char idm[SONY_IDM_BUFFER_SIZE];
    int32_t result;
};

/* The read itself, taking as long as the reader takes; only idm_read_pcsc calls it. */
void idm_read_pcsc_waiting(struct idm_pcsc_job* job);

/* Guards idm_pcsc_job.reader between the read's thread and the caller. */
void idm_lock(void);
void idm_unlock(void);

#endif
