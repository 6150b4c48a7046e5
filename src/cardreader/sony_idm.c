/* get_idm: picks the virtual card file when VELMORA_CARD_FILE is set, PC/SC otherwise.
 *
 * The virtual card: the file's first line, without its CR or LF (and without a UTF-8 byte order
 * mark), is the IDm of the card on the reader. A missing file, an empty file or an empty first
 * line means that no card is on the reader. Holding a card is writing the file; taking it away
 * is emptying or deleting it. The file is read afresh on every call. */
#include "sony_idm.h"

#include "idm_internal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <io.h>
#include <wchar.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

static FILE* open_card_file(void) {
#if defined(_WIN32)
    /* The wide forms, so that a path outside the ANSI code page works too. */
    const wchar_t* path = _wgetenv(L"" SONY_IDM_CARD_FILE_VARIABLE);
    FILE* file;
    if (path == NULL || path[0] == L'\0') return NULL;
    file = _wfopen(path, L"rb");
    /* Only a file on a disk: a device such as CON would wait for typing, and the window with it. */
    if (file != NULL && GetFileType((HANDLE)_get_osfhandle(_fileno(file))) != FILE_TYPE_DISK) {
        fclose(file);
        return NULL;
    }
    return file;
#else
    const char* path = getenv(SONY_IDM_CARD_FILE_VARIABLE);
    struct stat status;
    FILE* file;
    int fd;
    if (path == NULL || path[0] == '\0') return NULL;
    /* Without blocking, and only a regular file: a FIFO would hang the read, and the window
     * with it; a device would give bytes without end. */
    fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NULL;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        static int warned;
        if (!warned) fprintf(stderr, "sony_idm: %s is not a regular file; no card\n", path);
        warned = 1;
        close(fd);
        return NULL;
    }
    file = fdopen(fd, "rb");
    if (file == NULL) close(fd);
    return file;
#endif
}

static int card_file_selected(void) {
#if defined(_WIN32)
    const wchar_t* path = _wgetenv(L"" SONY_IDM_CARD_FILE_VARIABLE);
    return path != NULL && path[0] != L'\0';
#else
    const char* path = getenv(SONY_IDM_CARD_FILE_VARIABLE);
    return path != NULL && path[0] != '\0';
#endif
}

int32_t idm_read_card_file(char* buffer) {
    /* Three more bytes than the buffer holds, for a byte order mark in front of a long line. */
    char line[SONY_IDM_BUFFER_SIZE + 3];
    size_t read;
    size_t start = 0;
    size_t end;
    FILE* file = open_card_file();
    if (file == NULL) return SONY_IDM_NO_CARD;
    read = fread(line, 1, sizeof line, file);
    fclose(file);

    if (read >= 3 && (unsigned char)line[0] == 0xEF && (unsigned char)line[1] == 0xBB &&
        (unsigned char)line[2] == 0xBF)
        start = 3;
    end = start;
    while (end < read && end - start < SONY_IDM_BUFFER_SIZE && line[end] != '\r' &&
           line[end] != '\n')
        ++end;
    if (end == start) return SONY_IDM_NO_CARD;
    memcpy(buffer, line + start, end - start);
    return (int32_t)(end - start);
}

SONY_IDM_EXPORT int32_t SONY_IDM_CALL get_idm(int32_t mode, char* buffer) {
    (void)mode; /* callers pass 12960; this library reads the IDm the same way for any */
    if (buffer == NULL) return SONY_IDM_FAILED;
    if (card_file_selected()) return idm_read_card_file(buffer);
    return idm_read_pcsc(buffer);
}
