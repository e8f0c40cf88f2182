#include "model/PortfolioFile.h"

#include <ctime>

#include "model/Archive.h"
#include "model/BlotterSpace.h"
#include "platform/fs/Backups.h"
#include "platform/fs/CopyAside.h"
#include "platform/fs/FilePaths.h"

const char* const kPortfolioFileName = "info.kgw";

namespace {
class CInputFileSource : public CByteSource
{
  public:
    explicit CInputFileSource(tf::fs::CInputFile& file) : m_file(file) {}
    long Read(void* data, std::size_t size) override
    {
        long n = m_file.Read(data, size);
        if (n > 0)
            m_nRead += static_cast<std::uint64_t>(n);
        return n;
    }
    std::uint64_t RemainingHint() const override
    {
        std::uint64_t size = m_file.Stamp().size;
        return size > m_nRead ? size - m_nRead : 0;
    }

  private:
    tf::fs::CInputFile& m_file;
    std::uint64_t m_nRead = 0;
};

class CAtomicFileSink : public CByteSink
{
  public:
    explicit CAtomicFileSink(tf::fs::CAtomicFile& file) : m_file(file) {}
    bool Write(const void* data, std::size_t size) override { return m_file.Write(data, size); }

  private:
    tf::fs::CAtomicFile& m_file;
};

constexpr const char* kDamagedSuffix = ".damaged-";

std::string DamagedCopyName(const std::string& path)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    // The stamp always fits; should the clock give a year strftime cannot show, the seconds do.
    std::string base =
        path + kDamagedSuffix +
        (std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local) != 0 ? std::string(stamp)
                                                                          : std::to_string(now));
    // Two damaged reads within a second keep both copies.
    std::string name = base;
    for (int i = 2; tf::fs::FileExists(name); ++i)
        name = base + "-" + std::to_string(i);
    return name;
}

// Reads the document; returns the error text of a read that stopped early, empty if whole.
std::string ReadDocument(CByteSource& source, CBlotterSpace& doc)
{
    CArchive ar(source);
    try {
        doc.Serialize(ar);
    } catch (const CArchiveException& e) {
        return std::string(e.what()) + " after " + std::to_string(ar.Position()) + " bytes";
    } catch (const std::bad_alloc&) {
        return "Out of memory after " + std::to_string(ar.Position()) + " bytes";
    }
    return {};
}

// Opens and reads the file; the file stays open so that a damaged version can be copied
// as it was read.
PortfolioReadResult ReadOpen(const std::string& path, tf::fs::CInputFile& file, CBlotterSpace& doc)
{
    PortfolioReadResult result;
    if (!file.Open(path)) {
        result.status = PortfolioReadStatus::Missing;
        result.errorText = file.ErrorText();
        return result;
    }
    result.stamp = file.Stamp();
    doc.m_trades.RemoveAll();
    doc.m_categories.clear();
    CInputFileSource source(file);
    result.errorText = ReadDocument(source, doc);
    result.status =
        result.errorText.empty() ? PortfolioReadStatus::Read : PortfolioReadStatus::Damaged;
    return result;
}

// Keeps the damaged version's bytes beside the file: the name of a copy already holding
// them, or a new copy.
void KeepDamagedCopy(const std::string& path, tf::fs::CInputFile& file, PortfolioReadResult& result)
{
    const std::string target = tf::fs::ResolveLinks(path);
    std::string existing = tf::fs::FindIdenticalCopy(file, target, kDamagedSuffix);
    if (!existing.empty()) {
        result.damagedCopy = existing;
        return;
    }
    std::string copy = DamagedCopyName(target);
    std::string copyError;
    if (tf::fs::CopyOpenFileAside(file, copy, &copyError))
        result.damagedCopy = copy;
    else
        result.errorText += "; could not keep a copy: " + copyError;
}
} // namespace

PortfolioReadResult ReadPortfolioFile(const std::string& path, CBlotterSpace& doc)
{
    tf::fs::CInputFile file;
    PortfolioReadResult result = ReadOpen(path, file, doc);
    if (result.status == PortfolioReadStatus::Damaged)
        KeepDamagedCopy(path, file, result);
    return result;
}

bool PortfolioReadsWhole(const std::string& path)
{
    tf::fs::CInputFile file;
    CBlotterSpace doc;
    return ReadOpen(path, file, doc).status == PortfolioReadStatus::Read;
}

std::string NewestWholeBackup(const std::string& path)
{
    const std::string target = tf::fs::ResolveLinks(path);
    for (int n = 1; n <= tf::fs::kPortfolioBackups; ++n) {
        std::string backup = tf::fs::BackupPath(target, n);
        if (PortfolioReadsWhole(backup))
            return backup;
    }
    return {};
}

PortfolioWriteResult WritePortfolioFile(const std::string& path, CBlotterSpace& doc, int nBackups)
{
    PortfolioWriteResult result;
    doc.m_dFileVersion = kProgramVersion;
    tf::fs::CAtomicFile file;
    file.KeepBackups(nBackups);
    if (!file.Open(tf::fs::ResolveLinks(path))) {
        result.errorText = file.ErrorText();
        return result;
    }
    CAtomicFileSink sink(file);
    try {
        CArchive ar(sink);
        doc.Serialize(ar);
        ar.Flush();
    } catch (const CArchiveException&) {
        result.errorText = file.ErrorText();
        return result; // the file's destructor removes the temporary file
    }
    if (!file.Commit()) {
        result.errorText = file.ErrorText();
        return result;
    }
    result.bOk = true;
    result.stamp = file.Stamp();
    return result;
}

std::string SerializeToBytes(CBlotterSpace& doc)
{
    CStringSink sink;
    CArchive ar(sink);
    doc.Serialize(ar);
    ar.Flush();
    return sink.m_bytes;
}

bool SerializeFromBytes(const std::string& bytes, CBlotterSpace& doc, std::string* error)
{
    doc.m_trades.RemoveAll();
    doc.m_categories.clear();
    CMemorySource source(bytes.data(), bytes.size());
    std::string text = ReadDocument(source, doc);
    if (error)
        *error = text;
    return text.empty();
}
