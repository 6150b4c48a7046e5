/* A real reader through PC/SC: pcsc-lite on Linux, WinSCard on Windows (the same API).
 *
 * One call: list the readers, look without waiting which of them holds a card, connect to the
 * first such card, ask it for its UID with the pseudo-APDU FF CA 00 00 00 (for a FeliCa card
 * the UID is the 8-byte IDm), write those 8 bytes as 16 upper-case hex digits and disconnect.
 *
 * The resource manager context is kept from one call to the next and set up again after the
 * service went away (pcscd restarted, the Windows smart card service stopped when the last
 * reader was unplugged), so that neither needs the program to restart.
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

#include <stdlib.h>
#include <string.h>

#if !defined(SCARD_E_NO_READERS_AVAILABLE)
#define SCARD_E_NO_READERS_AVAILABLE ((LONG)0x8010002E)
#endif
#if !defined(SCARD_E_SERVICE_STOPPED)
#define SCARD_E_SERVICE_STOPPED ((LONG)0x8010001E)
#endif

static SCARDCONTEXT context;
static int have_context;

static void release_context(void) {
    if (!have_context) return;
    SCardReleaseContext(context);
    have_context = 0;
}

static int establish_context(void) {
    if (have_context) return 1;
    if (SCardEstablishContext(SCARD_SCOPE_USER, NULL, NULL, &context) != SCARD_S_SUCCESS) return 0;
    have_context = 1;
    return 1;
}

/* Outcomes that concern one card only; the context stays good. Any other error may mean that
 * the service stopped or the reader went away (SCARD_E_NO_SERVICE, SCARD_E_SERVICE_STOPPED,
 * SCARD_E_READER_UNAVAILABLE, SCARD_E_INVALID_HANDLE, SCARD_E_NO_READERS_AVAILABLE, ...), and a
 * fresh context on the next call costs little, so it is dropped. */
static int card_level(LONG rv) {
    switch (rv) {
    case SCARD_S_SUCCESS:
    case SCARD_E_TIMEOUT:
    case SCARD_E_NO_SMARTCARD:
    case SCARD_W_REMOVED_CARD:
    case SCARD_W_RESET_CARD:
    case SCARD_W_UNPOWERED_CARD:
    case SCARD_W_UNRESPONSIVE_CARD:
    case SCARD_W_UNSUPPORTED_CARD:
    case SCARD_E_SHARING_VIOLATION:
    case SCARD_E_PROTO_MISMATCH:
    case SCARD_E_NOT_TRANSACTED:
    case SCARD_E_CARD_UNSUPPORTED:
    case SCARD_E_INSUFFICIENT_BUFFER:
        return 1;
    default:
        return 0;
    }
}

/* Returns the result for get_idm and drops the context where the error calls for it. */
static int32_t fail(LONG rv, int32_t result) {
    if (!card_level(rv)) release_context();
    return result;
}

static int32_t read_uid(const char* reader, char* buffer) {
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
    if (rv != SCARD_S_SUCCESS) return fail(rv, SONY_IDM_FAILED);
    pci = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
    rv = SCardTransmit(card, pci, get_uid, sizeof get_uid, NULL, response, &length);
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    if (rv != SCARD_S_SUCCESS) return fail(rv, SONY_IDM_FAILED);
    if (length < 8 + 2 || response[length - 2] != 0x90 || response[length - 1] != 0x00)
        return SONY_IDM_FAILED;
    for (i = 0; i < 8; ++i) {
        buffer[2 * i] = hex[response[i] >> 4];
        buffer[2 * i + 1] = hex[response[i] & 0x0F];
    }
    return 16;
}

int32_t idm_read_pcsc_waiting(char* buffer) {
    DWORD names_length = 0;
    char* names = NULL;
    SCARD_READERSTATE* states = NULL;
    DWORD count = 0;
    DWORD i;
    const char* name;
    LONG rv;
    int32_t result = SONY_IDM_NO_CARD;

    if (!establish_context()) return SONY_IDM_NO_READER;

    rv = SCardListReaders(context, NULL, NULL, &names_length);
    if (rv != SCARD_S_SUCCESS || names_length == 0) return fail(rv, SONY_IDM_NO_READER);
    names = (char*)malloc(names_length);
    if (names == NULL) return SONY_IDM_FAILED;
    rv = SCardListReaders(context, NULL, names, &names_length);
    if (rv != SCARD_S_SUCCESS) {
        free(names);
        return fail(rv, SONY_IDM_NO_READER);
    }

    for (name = names; *name != '\0'; name += strlen(name) + 1) ++count;
    states = (SCARD_READERSTATE*)calloc(count > 0 ? count : 1, sizeof *states);
    if (states == NULL) {
        free(names);
        return SONY_IDM_FAILED;
    }
    for (i = 0, name = names; i < count; ++i, name += strlen(name) + 1) {
        states[i].szReader = name;
        states[i].dwCurrentState = SCARD_STATE_UNAWARE;
    }

    /* Timeout 0: report the present state at once, never wait for a card. */
    rv = count > 0 ? SCardGetStatusChange(context, 0, states, count) : SCARD_E_NO_READERS_AVAILABLE;
    if (rv != SCARD_S_SUCCESS && rv != SCARD_E_TIMEOUT) {
        result = fail(rv, SONY_IDM_NO_READER);
    } else {
        for (i = 0; i < count && result < 0 && have_context; ++i) {
            DWORD state = states[i].dwEventState;
            if ((state & SCARD_STATE_PRESENT) == 0 || (state & SCARD_STATE_MUTE) != 0) continue;
            result = read_uid(states[i].szReader, buffer);
        }
    }
    free(states);
    free(names);
    return result;
}
