/* The record interface of the handheld sync kit, as C calls: what a conduit uses to open,
 * read and rewrite a database on the handheld during a HotSync, the transfer blocks it
 * hands over, and the sync log. The calls act on the handheld that the sync manager
 * selected (platform/synckit/Handheld.h) before it called the conduit.
 *
 * Every call returns a status: 0 for success, kSkErrNotFound when the database, record or
 * block asked for does not exist (also "no more records"), another kSkErr value otherwise.
 * Blocks and buffers belong to the caller; the kit never keeps a pointer to them. */
#ifndef TF_PLATFORM_SYNCKIT_SYNCKIT_H
#define TF_PLATFORM_SYNCKIT_SYNCKIT_H

#include <stddef.h>
#include <stdint.h>

#if defined(TF_SYNCKIT_BUILD)
#define SK_API __attribute__((visibility("default")))
#else
#define SK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum SkStatus {
    kSkOk = 0,
    kSkErrGeneral = 0x4001,
    kSkErrNotOpen = 0x4002,       /* the handle names no open database */
    kSkErrNotFound = 0x4003,      /* no such database, record or block; no more records */
    kSkErrExists = 0x4004,        /* create: a database of that name is already there */
    kSkErrBadArgument = 0x4005,   /* a null block or buffer, a size or index out of range */
    kSkErrInUse = 0x4006,         /* the database is already open */
    kSkErrTooManyOpen = 0x4007,   /* every handle is in use */
    kSkErrDamaged = 0x4008,       /* the database file on the handheld cannot be read */
    kSkErrStorage = 0x4009,       /* the handheld could not store the database */
    kSkErrNoHandheld = 0x400A,    /* the sync manager selected no handheld */
    kSkErrRecordTooLarge = 0x400B /* a record does not fit the handheld's record size */
};

/* Bits of the record attribute byte; the category index travels separately. */
enum SkRecordAttribute {
    kSkRecordDeleted = 0x80,
    kSkRecordDirty = 0x40,
    kSkRecordBusy = 0x20,
    kSkRecordPrivate = 0x10
};

/* Open mode for reading and writing with exclusive access. */
#define SK_OPEN_READ_WRITE_EXCLUSIVE 0xE0

/* A database name, NUL included, must fit this many bytes. */
#define SK_DB_NAME_SIZE 32

#pragma pack(push, 1)

/* One record on its way to or from the handheld. On a 64-bit build the buffer address is
 * a full pointer; every other field keeps its size. */
typedef struct SkRecordBlock
{
    uint8_t handle;
    uint32_t recordId;    /* 0 on write: the handheld assigns one; set on write and read */
    uint16_t recordIndex; /* position of the record read; ignored on write */
    uint8_t attributes;   /* SkRecordAttribute bits */
    int16_t category;     /* category index 0..15 */
    uint32_t reserved1;
    uint32_t recordSize; /* bytes of the record (on read: its whole size) */
    uint16_t bufferSize; /* bytes the buffer holds */
    uint8_t* buffer;
    uint32_t reserved2;
} SkRecordBlock;

/* The database's category block (its application information) on its way. */
typedef struct SkCategoryBlock
{
    char databaseName[SK_DB_NAME_SIZE];
    uint16_t bufferSize;
    uint16_t reserved1;
    uint8_t* buffer;
    uint32_t reserved2;
} SkCategoryBlock;

/* What a new database is created with; the handle comes back in the first byte. */
typedef struct SkCreateBlock
{
    uint8_t handle;
    uint32_t creator;
    uint32_t flags;
    uint8_t card;
    char name[SK_DB_NAME_SIZE];
    uint32_t type;
    uint16_t version;
    uint32_t reserved;
} SkCreateBlock;

/* The sync manager's property block handed to a conduit. Only the fields a conduit reads
 * are named; the rest is the sync manager's own. */
typedef struct SkConduitProperties
{
    uint32_t blockSize;
    char userDirectory[256]; /* ends in a path separator */
    char localFileName[256]; /* may be empty */
    char reserved1[256];
    const char* databaseName;
    char reserved2[908 - 772 - sizeof(const char*)];
    uint32_t creator;
    uint8_t card;
    uint8_t reserved3;
    uint32_t type;
    char reserved4[1024 - 918];
} SkConduitProperties;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(offsetof(SkRecordBlock, recordId) == 1);
static_assert(offsetof(SkRecordBlock, recordIndex) == 5);
static_assert(offsetof(SkRecordBlock, attributes) == 7);
static_assert(offsetof(SkRecordBlock, category) == 8);
static_assert(offsetof(SkRecordBlock, recordSize) == 14);
static_assert(offsetof(SkRecordBlock, bufferSize) == 18);
static_assert(offsetof(SkRecordBlock, buffer) == 20);
static_assert(sizeof(SkRecordBlock) == 24 + sizeof(void*));
static_assert(offsetof(SkCategoryBlock, bufferSize) == 32);
static_assert(offsetof(SkCategoryBlock, buffer) == 36);
static_assert(sizeof(SkCategoryBlock) == 40 + sizeof(void*));
static_assert(sizeof(SkCreateBlock) == 52);
static_assert(offsetof(SkCreateBlock, card) == 9);
static_assert(offsetof(SkCreateBlock, name) == 10);
static_assert(offsetof(SkCreateBlock, type) == 42);
static_assert(offsetof(SkCreateBlock, version) == 46);
static_assert(offsetof(SkConduitProperties, userDirectory) == 4);
static_assert(offsetof(SkConduitProperties, localFileName) == 260);
static_assert(offsetof(SkConduitProperties, databaseName) == 772);
static_assert(offsetof(SkConduitProperties, creator) == 908);
static_assert(offsetof(SkConduitProperties, card) == 912);
static_assert(offsetof(SkConduitProperties, type) == 914);
static_assert(sizeof(SkConduitProperties) == 1024);
#endif

/* Record interface (the kit's ordinal in brackets). */
SK_API int SkOpenDatabase(const char* name, int card, uint8_t* handle, int mode); /* 26 */
SK_API int SkCreateDatabase(SkCreateBlock* block);                                /* 27 */
SK_API int SkCloseDatabase(uint8_t handle);                                       /* 28 */
/* Closing clear call: the handheld forgets which records changed. */
SK_API int SkClearSyncFlags(uint8_t handle);                             /* 31 */
SK_API int SkWriteRecord(SkRecordBlock* block);                          /* 32 */
SK_API int SkReadNextModifiedRecord(SkRecordBlock* block);               /* 37 */
SK_API int SkReadCategoryBlock(uint8_t handle, SkCategoryBlock* block);  /* 38 */
SK_API int SkWriteCategoryBlock(uint8_t handle, SkCategoryBlock* block); /* 39 */
SK_API int SkPurgeDeletedRecords(uint8_t handle);                        /* 40 */
SK_API int SkDeleteAllRecords(uint8_t handle);                           /* 41 */

/* Sync log entry call: text, activity code, and 0. */
SK_API int SkLogAddEntry(const char* text, int activity, int reserved);

/* The record interface by its original ordinals. */
typedef struct SkOrdinalEntry
{
    int ordinal;
    const char* function;
} SkOrdinalEntry;

static const SkOrdinalEntry kSkOrdinals[] = {
    {26, "SkOpenDatabase"},      {27, "SkCreateDatabase"},     {28, "SkCloseDatabase"},
    {31, "SkClearSyncFlags"},    {32, "SkWriteRecord"},        {37, "SkReadNextModifiedRecord"},
    {38, "SkReadCategoryBlock"}, {39, "SkWriteCategoryBlock"}, {40, "SkPurgeDeletedRecords"},
    {41, "SkDeleteAllRecords"},
};

/* The log entry call by its original ordinal in the log library. */
static const SkOrdinalEntry kSkLogOrdinals[] = {
    {52, "SkLogAddEntry"},
};

#ifdef __cplusplus
}
#endif

#endif
