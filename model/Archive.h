// CArchive: the byte-exact little-endian serialiser of the portfolio file. Writing goes
// through a 4096-byte buffer into a byte sink; reading through a 4096-byte buffer from a
// byte source. Reading trusts nothing: a read past the end throws CArchiveException.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// Where a storing archive's bytes go. Write returns false when the bytes could not be
// written; the archive then throws.
class CByteSink
{
  public:
    virtual ~CByteSink() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
};

// Where a loading archive's bytes come from. Read returns how many bytes it delivered
// (0 at the end) or -1 on an error.
class CByteSource
{
  public:
    virtual ~CByteSource() = default;
    virtual long Read(void* data, std::size_t size) = 0;
    // How many bytes are left to read, when the source knows; 0 when it does not. Used only
    // to size lists that the data announces, never trusted beyond that.
    virtual std::uint64_t RemainingHint() const { return 0; }
};

// Memory implementations, for tests and for building whole images.
class CStringSink : public CByteSink
{
  public:
    bool Write(const void* data, std::size_t size) override;
    std::string m_bytes;
};

class CMemorySource : public CByteSource
{
  public:
    CMemorySource(const void* data, std::size_t size)
        : m_pData(static_cast<const unsigned char*>(data)), m_nSize(size)
    {
    }
    long Read(void* data, std::size_t size) override;
    std::uint64_t RemainingHint() const override { return m_nSize - m_nPos; }

  private:
    const unsigned char* m_pData;
    std::size_t m_nSize;
    std::size_t m_nPos = 0;
};

class CArchiveException : public std::runtime_error
{
  public:
    enum Cause { endOfFile, readError, writeError, badCount };
    CArchiveException(Cause cause, const char* what) : std::runtime_error(what), m_cause(cause) {}
    Cause m_cause;
};

class CArchive
{
  public:
    enum Mode { load, store };

    // The archive's buffer size; it has no effect on the bytes.
    static constexpr std::size_t kBufferSize = 4096;

    explicit CArchive(CByteSink& sink);     // storing
    explicit CArchive(CByteSource& source); // loading
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // Flushes a storing archive's buffer; throws on a failed write.
    void Flush();

    void WriteInt32(std::int32_t value);
    void WriteInt16(std::int16_t value);
    void WriteDouble(double value);
    void WriteCount(std::uint32_t count);
    void WriteString(const std::string& text);
    void WriteBytes(const void* data, std::size_t size);

    std::int32_t ReadInt32();
    std::int16_t ReadInt16();
    double ReadDouble();
    std::uint32_t ReadCount();
    // Reads the 8-bit form and the wide-character form (converted to Windows-1252).
    std::string ReadString();
    void ReadBytes(void* data, std::size_t size);

    // Bytes a loading archive can still deliver, when its source knows (else 0).
    std::uint64_t RemainingHint() const
    {
        return m_pSource ? m_pSource->RemainingHint() + (m_nBufLen - m_nBufPos) : 0;
    }

    // Bytes delivered to (or consumed from) the archive so far.
    std::uint64_t Position() const { return m_nPosition; }

  private:
    std::uint32_t ReadStringLength(bool& wide);
    void Fill();

    Mode m_mode;
    CByteSink* m_pSink = nullptr;
    CByteSource* m_pSource = nullptr;
    unsigned char m_buffer[kBufferSize];
    std::size_t m_nBufPos = 0;
    std::size_t m_nBufLen = 0;
    std::uint64_t m_nPosition = 0;
};
