#include "tests/support/sqlitefault/SqliteFaults.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <sqlite3.h>

namespace tf::test {
namespace {

std::atomic<int> g_nWrites{0};
std::atomic<int> g_nFailFrom{0}; // a write count; 0 for none
std::atomic<bool> g_bFailOpens{false};
sqlite3_vfs* g_pReal = nullptr;
sqlite3_vfs g_vfs{};

// Our file: the system's file object lies right behind it.
struct SFile
{
    sqlite3_file base;
    sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
SFile* Of(sqlite3_file* pFile)
{
    return reinterpret_cast<SFile*>(pFile);
}
sqlite3_file* Real(sqlite3_file* pFile)
{
    return Of(pFile)->Real();
}

int Close(sqlite3_file* p)
{
    return Real(p)->pMethods->xClose(Real(p));
}
int Read(sqlite3_file* p, void* pBuf, int n, sqlite3_int64 off)
{
    return Real(p)->pMethods->xRead(Real(p), pBuf, n, off);
}
int Write(sqlite3_file* p, const void* pBuf, int n, sqlite3_int64 off)
{
    const int nThis = ++g_nWrites;
    const int nFrom = g_nFailFrom.load();
    if (nFrom > 0 && nThis >= nFrom)
        return SQLITE_FULL;
    return Real(p)->pMethods->xWrite(Real(p), pBuf, n, off);
}
int Truncate(sqlite3_file* p, sqlite3_int64 size)
{
    return Real(p)->pMethods->xTruncate(Real(p), size);
}
int Sync(sqlite3_file* p, int flags)
{
    return Real(p)->pMethods->xSync(Real(p), flags);
}
int FileSize(sqlite3_file* p, sqlite3_int64* pSize)
{
    return Real(p)->pMethods->xFileSize(Real(p), pSize);
}
int Lock(sqlite3_file* p, int n)
{
    return Real(p)->pMethods->xLock(Real(p), n);
}
int Unlock(sqlite3_file* p, int n)
{
    return Real(p)->pMethods->xUnlock(Real(p), n);
}
int CheckReservedLock(sqlite3_file* p, int* pOut)
{
    return Real(p)->pMethods->xCheckReservedLock(Real(p), pOut);
}
int FileControl(sqlite3_file* p, int op, void* pArg)
{
    return Real(p)->pMethods->xFileControl(Real(p), op, pArg);
}
int SectorSize(sqlite3_file* p)
{
    return Real(p)->pMethods->xSectorSize(Real(p));
}
int DeviceCharacteristics(sqlite3_file* p)
{
    return Real(p)->pMethods->xDeviceCharacteristics(Real(p));
}
int ShmMap(sqlite3_file* p, int iPg, int pgsz, int b, void volatile** pp)
{
    return Real(p)->pMethods->xShmMap(Real(p), iPg, pgsz, b, pp);
}
int ShmLock(sqlite3_file* p, int offset, int n, int flags)
{
    return Real(p)->pMethods->xShmLock(Real(p), offset, n, flags);
}
void ShmBarrier(sqlite3_file* p)
{
    Real(p)->pMethods->xShmBarrier(Real(p));
}
int ShmUnmap(sqlite3_file* p, int deleteFlag)
{
    return Real(p)->pMethods->xShmUnmap(Real(p), deleteFlag);
}
int Fetch(sqlite3_file* p, sqlite3_int64 off, int amt, void** pp)
{
    // No memory mapping: every page goes through Read and Write.
    (void)p;
    (void)off;
    (void)amt;
    *pp = nullptr;
    return SQLITE_OK;
}
int Unfetch(sqlite3_file* /*p*/, sqlite3_int64 /*off*/, void* /*pPage*/)
{
    return SQLITE_OK;
}

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

int Open(sqlite3_vfs* /*pVfs*/, const char* pszName, sqlite3_file* pFile, int flags, int* pOutFlags)
{
    pFile->pMethods = nullptr;
    if (g_bFailOpens.load() && (flags & SQLITE_OPEN_MAIN_DB) != 0)
        return SQLITE_CANTOPEN;
    sqlite3_file* pReal = Of(pFile)->Real();
    std::memset(pReal, 0, static_cast<std::size_t>(g_pReal->szOsFile));
    const int rc = g_pReal->xOpen(g_pReal, pszName, pReal, flags, pOutFlags);
    if (pReal->pMethods != nullptr)
        pFile->pMethods = &kMethods;
    return rc;
}

int Delete(sqlite3_vfs*, const char* z, int syncDir)
{
    return g_pReal->xDelete(g_pReal, z, syncDir);
}
int Access(sqlite3_vfs*, const char* z, int flags, int* pOut)
{
    return g_pReal->xAccess(g_pReal, z, flags, pOut);
}
int FullPathname(sqlite3_vfs*, const char* z, int n, char* pOut)
{
    return g_pReal->xFullPathname(g_pReal, z, n, pOut);
}
void* DlOpen(sqlite3_vfs*, const char* z)
{
    return g_pReal->xDlOpen(g_pReal, z);
}
void DlError(sqlite3_vfs*, int n, char* z)
{
    g_pReal->xDlError(g_pReal, n, z);
}
void (*DlSym(sqlite3_vfs*, void* p, const char* z))(void)
{
    return g_pReal->xDlSym(g_pReal, p, z);
}
void DlClose(sqlite3_vfs*, void* p)
{
    g_pReal->xDlClose(g_pReal, p);
}
int Randomness(sqlite3_vfs*, int n, char* z)
{
    return g_pReal->xRandomness(g_pReal, n, z);
}
int Sleep(sqlite3_vfs*, int n)
{
    return g_pReal->xSleep(g_pReal, n);
}
int CurrentTime(sqlite3_vfs*, double* p)
{
    return g_pReal->xCurrentTime(g_pReal, p);
}
int GetLastError(sqlite3_vfs*, int n, char* z)
{
    return g_pReal->xGetLastError ? g_pReal->xGetLastError(g_pReal, n, z) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* p)
{
    return g_pReal->xCurrentTimeInt64(g_pReal, p);
}

} // namespace

void CSqliteFaults::Install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_initialize();
        g_pReal = sqlite3_vfs_find(nullptr);
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = static_cast<int>(sizeof(SFile)) + g_pReal->szOsFile;
        g_vfs.mxPathname = g_pReal->mxPathname;
        g_vfs.zName = "tf-faults";
        g_vfs.xOpen = Open;
        g_vfs.xDelete = Delete;
        g_vfs.xAccess = Access;
        g_vfs.xFullPathname = FullPathname;
        g_vfs.xDlOpen = DlOpen;
        g_vfs.xDlError = DlError;
        g_vfs.xDlSym = DlSym;
        g_vfs.xDlClose = DlClose;
        g_vfs.xRandomness = Randomness;
        g_vfs.xSleep = Sleep;
        g_vfs.xCurrentTime = CurrentTime;
        g_vfs.xGetLastError = GetLastError;
        g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 1);
    });
}

void CSqliteFaults::FailWritesFrom(int nth)
{
    g_nFailFrom = nth > 0 ? g_nWrites.load() + nth : 0;
}

void CSqliteFaults::FailOpens(bool bFail)
{
    g_bFailOpens = bFail;
}

int CSqliteFaults::WritesSeen()
{
    return g_nWrites.load();
}

void CSqliteFaults::Reset()
{
    g_nFailFrom = 0;
    g_bFailOpens = false;
    g_nWrites = 0;
}

} // namespace tf::test
