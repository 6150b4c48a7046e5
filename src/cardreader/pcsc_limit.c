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
 * read that has not ended by then is a failed check (SONY_IDM_NO_ANSWER), never "no card", and
 * is left to end by itself. Meanwhile the next reads leave its reader alone and read the others,
 * so that a card that never answers hides no card on another reader; a read that hangs outside
 * any reader (the service itself) stops new reads until it ends. Starting and joining a read's
 * thread order its work against the caller's; only the name of the reader it is asking and the
 * context handed from read to read (pcsc.c) are shared while it runs, under a lock. */
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

/* The reads in flight: the hung ones and the present one. */
static struct job {
    struct idm_pcsc_job work;
    int running;
#if defined(_WIN32)
    HANDLE thread;
#else
    pthread_t thread;
#endif
} jobs[IDM_MAX_HUNG + 1];

#if defined(_WIN32)
static CRITICAL_SECTION lock;

void idm_lock(void) { EnterCriticalSection(&lock); }
void idm_unlock(void) { LeaveCriticalSection(&lock); }

static unsigned __stdcall run_job(void* job) {
    idm_read_pcsc_waiting(&((struct job*)job)->work);
    return 0;
}

static int start_job(struct job* job) {
    static int lock_ready; /* get_idm runs on one thread, and no read runs before this */
    if (!lock_ready) InitializeCriticalSection(&lock);
    lock_ready = 1;
    job->thread = (HANDLE)_beginthreadex(NULL, 0, run_job, job, 0, NULL);
    return job->thread != NULL;
}

/* 1 once the job's thread has ended within ms milliseconds (and is released), 0 otherwise. */
static int join_job(struct job* job, unsigned ms) {
    if (WaitForSingleObject(job->thread, ms) != WAIT_OBJECT_0) return 0;
    CloseHandle(job->thread);
    return 1;
}
#else
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

void idm_lock(void) { pthread_mutex_lock(&lock); }
void idm_unlock(void) { pthread_mutex_unlock(&lock); }

static void* run_job(void* job) {
    idm_read_pcsc_waiting(&((struct job*)job)->work);
    return NULL;
}

static int start_job(struct job* job) {
    return pthread_create(&job->thread, NULL, run_job, job) == 0;
}

/* 1 once the job's thread has ended within ms milliseconds (and is joined), 0 otherwise. On
 * CLOCK_MONOTONIC: setting the system clock neither cuts the wait short nor stretches it. */
static int join_job(struct job* job, unsigned ms) {
    struct timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += (long)(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return pthread_clockjoin_np(job->thread, NULL, CLOCK_MONOTONIC, &deadline) == 0;
}
#endif

int32_t idm_read_pcsc(char* buffer) {
    struct job* next = NULL;
    char skip[IDM_MAX_HUNG][IDM_READER_NAME_SIZE];
    int skipped = 0;
    int service_hangs = 0;
    size_t i;
    for (i = 0; i < sizeof jobs / sizeof jobs[0]; ++i) {
        struct job* job = &jobs[i];
        /* A read that ended late: its result is dropped, the card is read afresh now. */
        if (job->running && join_job(job, 0)) job->running = 0;
        if (!job->running) {
            if (next == NULL) next = job;
            continue;
        }
        idm_lock();
        if (job->work.reader[0] == '\0')
            service_hangs = 1;
        else if (skipped < IDM_MAX_HUNG)
            memcpy(skip[skipped++], job->work.reader, sizeof skip[0]);
        idm_unlock();
    }
    if (next == NULL || service_hangs) return SONY_IDM_NO_ANSWER;

    memcpy(next->work.skip, skip, sizeof skip);
    next->work.skipped = skipped;
    next->work.reader[0] = '\0';
    next->running = start_job(next);
    if (!next->running) return SONY_IDM_FAILED;
    if (!join_job(next, LIMIT_MS)) {
        fprintf(stderr, "sony_idm: the card reader has not answered within %d ms\n", LIMIT_MS);
        return SONY_IDM_NO_ANSWER;
    }
    next->running = 0;
    if (next->work.result > 0) memcpy(buffer, next->work.idm, (size_t)next->work.result);
    return next->work.result;
}
