/* A real reader through PC/SC: pcsc-lite on Linux, WinSCard on Windows (the same API).
 *
 * One read: list the readers, look without waiting which of them hold a card, and ask those
 * cards in turn for their UID with the pseudo-APDU FF CA 00 00 00 (for a FeliCa card the UID is
 * the 8-byte IDm) until one answers; its 8 bytes are written as 16 upper-case hex digits.
 *
 * A card that lies on the reader of the last IDm but is not read (mute, an error answer, an
 * earlier read of that reader still hanging), or that reader in an unknown state, makes the read
 * a failure unless another card answers: a failed check must not pass for the card taken away.
 * On another reader the same tells nothing about that card and counts as no card there: a
 * contact card kept in a keyboard's slot, or a virtual smart card, never answers with an IDm.
 *
 * A read holds a resource manager context of its own while it runs, so that a read left
 * hanging keeps only its own context busy. The next read takes it over once it has ended; one
 * that found no service or reader is released instead, so that a restarted pcscd or Windows
 * smart card service needs no program restart.
 *
 * A read here takes as long as the reader does; pcsc_limit.c runs it on a thread of its own and
 * waits for it at most 0.4 s. */
#if defined(_WIN32)
#undef UNICODE /* the char (ANSI) forms of the reader names */
#undef _UNICODE
#include <windows.h>
#endif
#include <winscard.h>

#include "idm_internal.h"
#include "sony_idm.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if !defined(SCARD_E_NO_READERS_AVAILABLE)
#define SCARD_E_NO_READERS_AVAILABLE ((LONG)0x8010002E)
#endif

/* The reader of the last IDm, under idm_lock. */
static char last_reader[IDM_READER_NAME_SIZE];

static void note(char* to, const char* reader) {
    idm_lock();
    snprintf(to, IDM_READER_NAME_SIZE, "%s", reader);
    idm_unlock();
}

static int last(const char* reader) {
    int same;
    idm_lock();
    same = strncmp(last_reader, reader, IDM_READER_NAME_SIZE - 1) == 0;
    idm_unlock();
    return same;
}

static int skipped(const struct idm_pcsc_job* job, const char* reader) {
    int i;
    for (i = 0; i < job->skipped; ++i)
        if (strncmp(job->skip[i], reader, IDM_READER_NAME_SIZE - 1) == 0) return 1;
    return 0;
}

static int32_t read_uid(SCARDCONTEXT context, const char* reader, char* buffer) {
    static const BYTE get_uid[] = {0xFF, 0xCA, 0x00, 0x00, 0x00};
    static const char hex[] = "0123456789ABCDEF";
    SCARDHANDLE card;
    DWORD protocol = 0;
    BYTE response[258];
    DWORD length = sizeof response;
    const SCARD_IO_REQUEST* pci;
    LONG rv;
    int i;

    rv = SCardConnect(context, reader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                      &card, &protocol);
    if (rv != SCARD_S_SUCCESS) return SONY_IDM_FAILED;
    pci = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
    rv = SCardTransmit(card, pci, get_uid, sizeof get_uid, NULL, response, &length);
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    if (rv != SCARD_S_SUCCESS) return SONY_IDM_FAILED;
    if (length < 8 + 2 || response[length - 2] != 0x90 || response[length - 1] != 0x00)
        return SONY_IDM_FAILED;
    for (i = 0; i < 8; ++i) {
        buffer[2 * i] = hex[response[i] >> 4];
        buffer[2 * i + 1] = hex[response[i] & 0x0F];
    }
    return 16;
}

/* get_idm's result for the readers of this context; an IDm goes to job->idm. */
static int32_t read_cards(SCARDCONTEXT context, struct idm_pcsc_job* job) {
    DWORD names_length = 0;
    char* names = NULL;
    SCARD_READERSTATE* states = NULL;
    DWORD count = 0;
    DWORD i;
    const char* name;
    LONG rv;
    int32_t result = SONY_IDM_NO_CARD;

    rv = SCardListReaders(context, NULL, NULL, &names_length);
    if (rv != SCARD_S_SUCCESS || names_length == 0) return SONY_IDM_NO_READER;
    names = (char*)malloc(names_length);
    if (names == NULL) return SONY_IDM_FAILED;
    rv = SCardListReaders(context, NULL, names, &names_length);
    for (name = names; rv == SCARD_S_SUCCESS && *name != '\0'; name += strlen(name) + 1) ++count;
    states = (SCARD_READERSTATE*)calloc(count > 0 ? count : 1, sizeof *states);
    if (rv != SCARD_S_SUCCESS || states == NULL) {
        free(names);
        free(states);
        return rv != SCARD_S_SUCCESS ? SONY_IDM_NO_READER : SONY_IDM_FAILED;
    }
    for (i = 0, name = names; i < count; ++i, name += strlen(name) + 1) {
        states[i].szReader = name;
        states[i].dwCurrentState = SCARD_STATE_UNAWARE;
    }

    /* Timeout 0: report the present state at once, never wait for a card. */
    rv = count > 0 ? SCardGetStatusChange(context, 0, states, count) : SCARD_E_NO_READERS_AVAILABLE;
    if (rv != SCARD_S_SUCCESS && rv != SCARD_E_TIMEOUT) result = SONY_IDM_NO_READER;
    for (i = 0; i < count && result != SONY_IDM_NO_READER && result <= 0; ++i) {
        const DWORD state = states[i].dwEventState;
        const char* reader = states[i].szReader;
        int32_t read = SONY_IDM_FAILED; /* a card may lie there, unread */
        if ((state & SCARD_STATE_EMPTY) != 0) continue;
        if ((state & SCARD_STATE_PRESENT) != 0 && (state & SCARD_STATE_MUTE) == 0 &&
            !skipped(job, reader)) {
            note(job->reader, reader);
            read = read_uid(context, reader, job->idm);
            note(job->reader, "");
        }
        if (read > 0) note(last_reader, reader);
        if (read > 0 || last(reader)) result = read;
    }
    free(states);
    free(names);
    return result;
}

/* The context of the last read that ended, under idm_lock. */
static SCARDCONTEXT spare;
static int have_spare;

void idm_read_pcsc_waiting(struct idm_pcsc_job* job) {
    SCARDCONTEXT context;
    int have_context, keep;
    idm_lock();
    context = spare;
    have_context = have_spare;
    have_spare = 0;
    idm_unlock();
    if (!have_context &&
        SCardEstablishContext(SCARD_SCOPE_USER, NULL, NULL, &context) != SCARD_S_SUCCESS) {
        job->result = SONY_IDM_NO_READER;
        return;
    }
    job->result = read_cards(context, job);
    idm_lock();
    keep = job->result != SONY_IDM_NO_READER && !have_spare;
    if (keep) spare = context, have_spare = 1;
    idm_unlock();
    if (!keep) SCardReleaseContext(context);
}
