/* get_idm returns within half a second whatever the reader does.
 *
 * A card that accepts the connection but never answers the IDm command holds SCardTransmit for
 * as long as the reader's driver likes: with pcsc-lite 1.9.9 and vpcd, until the card is taken
 * away, however long that is. Nothing cuts it short from outside: SCardCancel ends only
 * SCardGetStatusChange, SCardDisconnect and SCardReleaseContext from another thread wait for the
 * transmit, and pcscd keeps the reader locked meanwhile, so that even a connection through a
 * fresh context waits. Resetting the card once the transmit has failed is no cure either: after
 * a card taken away mid-read, pcscd 1.9.9 then no longer powered the next card on (vpcd).
 *
 * So each read runs on a thread of its own, and the caller waits for it at most LIMIT_MS. A
 * read that has not ended by then counts as no card and is left to end by itself; until it has,
 * every call reports no card at once without touching the reader, and the first call after it
 * reads afresh. Only the one read thread uses the PC/SC context, and starting and joining it
 * order its work against the caller's, so nothing needs a lock. */
#if !defined(_WIN32)
#define _GNU_SOURCE /* pthread_clockjoin_np */
#endif

#include "idm_internal.h"
#include "sony_idm.h"

#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>

#include <process.h>
#else
#include <pthread.h>
#include <time.h>
#endif

/* Leaves a tenth of the half second for starting the thread and handing over the result. */
#define LIMIT_MS 400

/* The read in flight: written by its thread, read by the caller only once the thread is joined. */
static char job_idm[SONY_IDM_BUFFER_SIZE];
static int32_t job_result;
static int job_running;

#if defined(_WIN32)
static HANDLE job_thread;

static unsigned __stdcall run_job(void* unused) {
    (void)unused;
    job_result = idm_read_pcsc_waiting(job_idm);
    return 0;
}

static int start_job(void) {
    job_thread = (HANDLE)_beginthreadex(NULL, 0, run_job, NULL, 0, NULL);
    return job_thread != NULL;
}

/* 1 once the job's thread has ended within ms milliseconds (and is released), 0 otherwise. */
static int join_job(unsigned ms) {
    if (WaitForSingleObject(job_thread, ms) != WAIT_OBJECT_0) return 0;
    CloseHandle(job_thread);
    return 1;
}
#else
static pthread_t job_thread;

static void* run_job(void* unused) {
    (void)unused;
    job_result = idm_read_pcsc_waiting(job_idm);
    return NULL;
}

static int start_job(void) { return pthread_create(&job_thread, NULL, run_job, NULL) == 0; }

/* 1 once the job's thread has ended within ms milliseconds (and is joined), 0 otherwise. On
 * CLOCK_MONOTONIC: setting the system clock neither cuts the wait short nor stretches it. */
static int join_job(unsigned ms) {
    struct timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += (long)(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return pthread_clockjoin_np(job_thread, NULL, CLOCK_MONOTONIC, &deadline) == 0;
}
#endif

int32_t idm_read_pcsc(char* buffer) {
    /* An earlier read still hangs: the reader is left alone. A result that came late is dropped;
     * the card is read afresh now. */
    if (job_running && !join_job(0)) return SONY_IDM_NO_CARD;
    job_running = start_job();
    if (!job_running) return SONY_IDM_FAILED;
    if (!join_job(LIMIT_MS)) {
        fprintf(stderr,
                "sony_idm: the card reader has not answered within %d ms; no card is reported "
                "until it does\n",
                LIMIT_MS);
        return SONY_IDM_NO_CARD;
    }
    job_running = 0;
    if (job_result > 0) memcpy(buffer, job_idm, (size_t)job_result);
    return job_result;
}
