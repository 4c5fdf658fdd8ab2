/*
 * ferrixcore: decodes one line of an FTP folder listing into a ListingEntry,
 * names the 60 host types and detects a server's host type from its texts.
 *
 * The caller owns every record it passes in, and host-type names are constant
 * texts inside the library. The one allocation that crosses this boundary is
 * the MVS member nodes FERRIX_ParseLine appends to a folder list for the
 * library's own client; FERRIX_FreeFolderNodes releases them.
 *
 * Thread rule: two parsers keep state between lines (the Stratus VOS
 * section state and the IBM AS/400 remembered date, time and size). That
 * state is process-wide and unguarded, so the lines of a listing of either
 * type are decoded one after another from one thread, and two such listings
 * are never decoded at the same time. Lines of every other host type decode
 * on their own: any number of threads may decode them at once.
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

/* Host-type identifiers: the table row is the identifier minus 6000. */
#define FERRIX_HOST_TYPE_CHAMELEON 6001
#define FERRIX_HOST_TYPE_FTP_PC_TCP 6002
#define FERRIX_HOST_TYPE_IBM_PC_TCP_IP 6003
#define FERRIX_HOST_TYPE_IBM_VM 6004
#define FERRIX_HOST_TYPE_KA9Q_NOS 6005
#define FERRIX_HOST_TYPE_NCSA_CUTCP 6006
#define FERRIX_HOST_TYPE_SI_NT_FTPD 6007
#define FERRIX_HOST_TYPE_SUPER_TCP 6008
#define FERRIX_HOST_TYPE_UNISYS_5000_EXOS 6009
#define FERRIX_HOST_TYPE_UNIX 6010
#define FERRIX_HOST_TYPE_VMS_MULTINET 6011
#define FERRIX_HOST_TYPE_VMS_UCX 6012
#define FERRIX_HOST_TYPE_QVT_NET_2_3 6013
#define FERRIX_HOST_TYPE_MAC_NCSA 6014
#define FERRIX_HOST_TYPE_MAC_PETER_SERVER 6015
#define FERRIX_HOST_TYPE_MICROSOFT_NT 6016
#define FERRIX_HOST_TYPE_IBM_AS400 6017
#define FERRIX_HOST_TYPE_IBM_MVS 6018
#define FERRIX_HOST_TYPE_PDP11_RSX11M 6019
#define FERRIX_HOST_TYPE_SUN_SOLARIS 6020
#define FERRIX_HOST_TYPE_OS9 6021
#define FERRIX_HOST_TYPE_CORVANE 6022
#define FERRIX_HOST_TYPE_BULL_GCOS 6023
#define FERRIX_HOST_TYPE_IBM_MVS_KNET 6024
#define FERRIX_HOST_TYPE_AMIGA 6025
#define FERRIX_HOST_TYPE_CDC_CYBER 6026
#define FERRIX_HOST_TYPE_IBM_R1000 6027
#define FERRIX_HOST_TYPE_BULL_CP6 6028
#define FERRIX_HOST_TYPE_IBM_SPARTACUS_KNET 6029
#define FERRIX_HOST_TYPE_TANDEM 6030
#define FERRIX_HOST_TYPE_STRATUS_VOS 6031
#define FERRIX_HOST_TYPE_HP3000 6032
#define FERRIX_HOST_TYPE_SERV_U 6033
#define FERRIX_HOST_TYPE_WFTPD 6034
#define FERRIX_HOST_TYPE_NETWARE_V4 6035
#define FERRIX_HOST_TYPE_PCNFS_PRO 6036
#define FERRIX_HOST_TYPE_TGV_MULTINET 6037
#define FERRIX_HOST_TYPE_FTP_PC_TCP_3 6038
#define FERRIX_HOST_TYPE_QVT_NET_4 6039
#define FERRIX_HOST_TYPE_MAC_VERSATERM 6040
#define FERRIX_HOST_TYPE_HELLSOFT 6041
#define FERRIX_HOST_TYPE_IBM_OS2_WARP 6042
#define FERRIX_HOST_TYPE_PRIMOS 6043
#define FERRIX_HOST_TYPE_OS2200 6044
#define FERRIX_HOST_TYPE_UNITREE 6045
#define FERRIX_HOST_TYPE_QNX2 6046
#define FERRIX_HOST_TYPE_WARFTPD 6047
#define FERRIX_HOST_TYPE_IBM_OS2 6048
#define FERRIX_HOST_TYPE_MUSIC 6049
#define FERRIX_HOST_TYPE_AOS_VS 6050
#define FERRIX_HOST_TYPE_PASSPORT_160 6051
#define FERRIX_HOST_TYPE_GCOS6_HVS_OS 6052
#define FERRIX_HOST_TYPE_NOVELL_LWP 6053
#define FERRIX_HOST_TYPE_REFLECTION 6054
#define FERRIX_HOST_TYPE_AMOS_TCP_IP 6055
#define FERRIX_HOST_TYPE_UNISYS_A_SERIES 6056
#define FERRIX_HOST_TYPE_VXWORKS 6057
#define FERRIX_HOST_TYPE_GCOS6_HVS_AIX 6058
#define FERRIX_HOST_TYPE_MLSD 6059

/* Decodes one line for hostType (6000-6059; anything else decodes as UNIX).
 * Lines longer than 511 characters are read up to there. Returns the length
 * of entry->name; 0 when the line gives no entry. */
FERRIX_API int32_t FERRIX_DecodeLine(ListingEntry* entry, const char* line, int32_t hostType,
                                     const char* remoteFolder, const char* userName);

/* The library's own client decodes into a folder list of nodes. */
#define FERRIX_NODE_FILE 1u
#define FERRIX_NODE_FOLDER 2u
#define FERRIX_NODE_LINK 3u

/* Connection flag: the MVS listing being read is a table of member names. */
#define FERRIX_CONNECTION_MEMBER_COLUMNS 1u

struct FerrixFolderList;

/* One decoded entry of a folder list. size is 64 bits like ListingEntry's. */
typedef struct FerrixListNode {
  struct FerrixFolderList* folder; /* the owning list */
  struct FerrixListNode* next;
  char name[256];
  uint32_t year;
  uint32_t month;
  uint32_t day;
  uint32_t hour;
  uint32_t minute;
  uint32_t second;
  uint64_t size;
  uint32_t mode;
  uint32_t flags;
  uint32_t kind; /* FERRIX_NODE_* */
} FerrixListNode;

/* A remote folder being listed. Nodes on the list that FERRIX_ParseLine
 * appended itself are released with FERRIX_FreeFolderNodes. */
typedef struct FerrixFolderList {
  const char* path; /* the remote folder; may be NULL */
  FerrixListNode* head;
  uint32_t files;
  uint32_t folders;
  uint32_t links;
} FerrixFolderList;

/* What FERRIX_ParseLine needs of a connection. Clear lineCount and flags
 * before the first line of each listing. */
typedef struct FerrixConnection {
  int32_t hostType;
  const char* userName; /* may be NULL */
  uint32_t lineCount;
  uint32_t flags; /* FERRIX_CONNECTION_* */
} FerrixConnection;

/* Decodes one line for the library's own client into node. Returns the name
 * length; 0 when the line gives nothing, or when it was a row of MVS member
 * names, which are appended to folder's list directly. */
FERRIX_API int32_t FERRIX_ParseLine(FerrixConnection* connection, FerrixFolderList* folder,
                                    FerrixListNode* node, const char* line);

/* Releases every node of folder's list and empties it. Only for lists whose
 * nodes all came from FERRIX_ParseLine. */
FERRIX_API void FERRIX_FreeFolderNodes(FerrixFolderList* folder);

/* 60: the number of host-type rows, 6000 up to 6059. */
FERRIX_API int32_t FERRIX_ReturnMaxHostTypes(void);

/* The name of a host type, given as identifier (6016) or row index (16);
 * NULL outside the table. */
FERRIX_API const char* FERRIX_ReturnHostTypeName(int32_t hostType);

/* A list or combo box, reached through callbacks. isComboBox is the value
 * given to FERRIX_AddHostTypesToListBox. */
typedef struct FerrixListControl {
  void* context;
  /* Adds text as a new item; returns its index, or a negative value when the
   * control refused it. */
  int32_t (*addString)(void* context, int32_t isComboBox, const char* text);
  /* Attaches data to the item at index. */
  void (*setItemData)(void* context, int32_t isComboBox, int32_t index, int32_t data);
} FerrixListControl;

/* Adds every host-type name in table order, each item carrying its
 * identifier as data. Returns the number of items the control accepted. */
FERRIX_API int32_t FERRIX_AddHostTypesToListBox(const FerrixListControl* control,
                                                int32_t isComboBox);

/* Host type from a SYST reply; hostType is returned unchanged unless it is
 * 6000 and the text names a known server. */
FERRIX_API int32_t FERRIX_DetectFromSystString(const char* text, int32_t hostType);

/* Host type from a greeting or logon reply, by the same rule. */
FERRIX_API int32_t FERRIX_DoAutoCheck(const char* text, int32_t hostType);

#ifdef __cplusplus
}
#endif

#endif
