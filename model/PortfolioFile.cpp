#include "model/PortfolioFile.h"

#include <ctime>

#include "model/Archive.h"
#include "model/BlotterSpace.h"

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

std::string DamagedCopyName(const std::string& path)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    // The stamp always fits; should the clock give a year strftime cannot show, the seconds do.
    std::string base =
        path + ".damaged-" +
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
} // namespace

PortfolioReadResult ReadPortfolioFile(const std::string& path, CBlotterSpace& doc)
{
    PortfolioReadResult result;
    tf::fs::CInputFile file;
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
    file.Close();
    if (result.errorText.empty()) {
        result.status = PortfolioReadStatus::Read;
        return result;
    }
    result.status = PortfolioReadStatus::Damaged;
    std::string copy = DamagedCopyName(path);
    std::string copyError;
    if (tf::fs::CopyFileAside(path, copy, &copyError))
        result.damagedCopy = copy;
    else
        result.errorText += "; could not keep a copy: " + copyError;
    return result;
}

PortfolioWriteResult WritePortfolioFile(const std::string& path, CBlotterSpace& doc)
{
    PortfolioWriteResult result;
    doc.m_dFileVersion = kProgramVersion;
    tf::fs::CAtomicFile file;
    if (!file.Open(path)) {
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
