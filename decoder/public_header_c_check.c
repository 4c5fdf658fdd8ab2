/* Compiled as strict C: the public header must stay usable from C. Each
 * export is taken through a pointer of its declared type, so a signature
 * that only C++ accepts fails here. */
#include "decoder/include/ferrixcore.h"

struct FerrixExports {
  int32_t (*decodeLine)(ListingEntry*, const char*, int32_t, const char*, const char*);
  int32_t (*parseLine)(FerrixConnection*, FerrixFolderList*, FerrixListNode*, const char*);
  void (*freeFolderNodes)(FerrixFolderList*);
  const char* (*hostTypeName)(int32_t);
  int32_t (*maxHostTypes)(void);
  int32_t (*addHostTypes)(const FerrixListControl*, int32_t);
  int32_t (*detectFromSyst)(const char*, int32_t);
  int32_t (*autoCheck)(const char*, int32_t);
};

const struct FerrixExports ferrixExportsSeenFromC = {
    FERRIX_DecodeLine,         FERRIX_ParseLine,           FERRIX_FreeFolderNodes,
    FERRIX_ReturnHostTypeName, FERRIX_ReturnMaxHostTypes,  FERRIX_AddHostTypesToListBox,
    FERRIX_DetectFromSystString, FERRIX_DoAutoCheck};
