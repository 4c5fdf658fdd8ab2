/*
 * ferrixcore: decodes one line of an FTP folder listing into a ListingEntry,
 * names the 60 host types and detects a server's host type from its texts.
 *
 * The caller owns every record it passes in; nothing allocated crosses this
 * boundary, and host-type names are constant texts inside the library.
 *
 * Thread rule: a few parsers keep state between lines (the Stratus VOS
 * section state and the IBM AS/400 remembered date, time and size). That
 * state is process-wide and unguarded, so the lines of one listing are
 * decoded one after another from one thread, and two listings are never
 * decoded at the same time.
 */
#ifndef FERRIXCORE_H
#define FERRIXCORE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define FERRIX_API __declspec(dllexport)
#else
#define FERRIX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One decoded listing line. An empty name means the line gave no entry. */
typedef struct ListingEntry {
  char name[256];   /* at most 255 characters, NUL-terminated */
  uint16_t year;    /* full year; 0 = unknown */
  uint8_t month;    /* 1-12; 0 = unknown */
  uint8_t day;      /* 1-31; 0 = unknown */
  uint8_t hour;
  uint8_t minute;
  uint8_t second;   /* only where the line shows seconds */
  uint8_t reserved1;
  uint64_t size;    /* bytes as the server states them; 0 = not shown */
  uint16_t mode;    /* UNIX permission bits, valid when flags bit 0 is set */
  uint16_t flags;
  uint8_t kind;     /* FERRIX_KIND_* */
  uint8_t reserved2[3];
} ListingEntry;

#define FERRIX_FLAG_MODE_VALID 1u

#define FERRIX_KIND_FILE 0u          /* plain file, nothing said */
#define FERRIX_KIND_FILE_EXPLICIT 1u /* plain file the server named as such */
#define FERRIX_KIND_LINK 2u
#define FERRIX_KIND_FOLDER 4u
#define FERRIX_KIND_BINARY_ELEMENT 16u

#define FERRIX_HOST_TYPE_AUTOMATIC 6000
#define FERRIX_HOST_TYPE_FIRST 6000
#define FERRIX_HOST_TYPE_COUNT 60

/* Decodes one line for hostType (6000-6059; anything else decodes as UNIX).
 * Returns the length of entry->name; 0 when the line gives no entry. */
FERRIX_API int32_t FERRIX_DecodeLine(ListingEntry* entry, const char* line, int32_t hostType,
                                     const char* remoteFolder, const char* userName);

#ifdef __cplusplus
}
#endif

#endif
