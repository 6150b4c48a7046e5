/* The card reader library: libsony_idm.so on Linux, sony_idm.dll on Windows.
 *
 * One export, get_idm, which writes the IDm of the FeliCa card on the reader into a buffer.
 * Plain C so that the library needs nothing beyond the C runtime and PC/SC. */
#ifndef SONY_IDM_H
#define SONY_IDM_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define SONY_IDM_CALL __stdcall /* WINAPI; the export name stays undecorated (sony_idm.def) */
#else
#define SONY_IDM_CALL
#endif

#if defined(_WIN32)
#define SONY_IDM_EXPORT /* exported by name through sony_idm.def */
#else
#define SONY_IDM_EXPORT __attribute__((visibility("default")))
#endif

/* The caller's buffer: this many writable bytes, all zero on entry, plus a terminating zero. */
#define SONY_IDM_BUFFER_SIZE 1024

/* Results below zero: no IDm was read. Only SONY_IDM_NO_CARD says that no card lies on the
 * reader; every other one is a failed check that says nothing about the card (a caller keeps a
 * card it has seen through them; earlier builds gave SONY_IDM_NO_CARD for a late answer).
 * SONY_IDM_FAILED concerns the reader of the last IDm: a card on another reader that cannot be
 * read (a contact card kept in a keyboard's slot) counts as no card there. */
#define SONY_IDM_NO_CARD (-1)   /* the readers answered: no card, or the virtual card is away */
#define SONY_IDM_NO_READER (-2) /* no PC/SC service or no reader */
#define SONY_IDM_FAILED (-3)    /* an error answer, or a card lying there unread */
#define SONY_IDM_NO_ANSWER (-4) /* the reader has not answered within 0.4 s */

/* The environment variable naming a virtual card file (see sony_idm.c). */
#define SONY_IDM_CARD_FILE_VARIABLE "VELMORA_CARD_FILE"

#ifdef __cplusplus
extern "C" {
#endif

/* mode is ignored (the program always passes 12960). On success writes the IDm text from the
 * start of buffer, at most SONY_IDM_BUFFER_SIZE bytes and without a terminator, and returns the
 * number of bytes written (16 for a real card); otherwise writes nothing and returns one of the
 * negative values above. Never blocks waiting for a card, and returns within half a second
 * whatever the reader does (SONY_IDM_NO_ANSWER when a card has not answered by then; a card
 * that never answers on one reader hides none on another). Not thread-safe: call from one
 * thread. */
SONY_IDM_EXPORT int32_t SONY_IDM_CALL get_idm(int32_t mode, char* buffer);

#ifdef __cplusplus
}
#endif

#endif
