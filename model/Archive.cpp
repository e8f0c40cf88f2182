#include "model/Archive.h"

#include <algorithm>
#include <cstring>

#include "platform/text/Windows1252.h"

namespace {
// Escape values of the count and text-length prefixes.
constexpr std::uint16_t kCount16Escape = 0xFFFF;
constexpr std::uint8_t kLength8Escape = 0xFF;
constexpr std::uint16_t kLength16Escape = 0xFFFF;
constexpr std::uint16_t kWideMark = 0xFFFE;

[[noreturn]] void ThrowEndOfFile()
{
    throw CArchiveException(CArchiveException::endOfFile, "Unexpected end of file");
}
} // namespace

bool CStringSink::Write(const void* data, std::size_t size)
{
    m_bytes.append(static_cast<const char*>(data), size);
    return true;
}

long CMemorySource::Read(void* data, std::size_t size)
{
    std::size_t n = std::min(size, m_nSize - m_nPos);
    if (n)
        std::memcpy(data, m_pData + m_nPos, n);
    m_nPos += n;
    return static_cast<long>(n);
}

CArchive::CArchive(CByteSink& sink) : m_mode(store), m_pSink(&sink) {}
CArchive::CArchive(CByteSource& source) : m_mode(load), m_pSource(&source) {}

CArchive::~CArchive()
{
    // A storing archive is flushed explicitly by its owner, who must learn of a failure;
    // nothing is written from the destructor.
}

void CArchive::Flush()
{
    if (m_mode != store || m_nBufLen == 0)
        return;
    std::size_t n = m_nBufLen;
    m_nBufLen = 0;
    if (!m_pSink->Write(m_buffer, n))
        throw CArchiveException(CArchiveException::writeError, "Write failed");
}

void CArchive::WriteBytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        std::size_t n = std::min(size, kBufferSize - m_nBufLen);
        std::memcpy(m_buffer + m_nBufLen, bytes, n);
        m_nBufLen += n;
        bytes += n;
        size -= n;
        m_nPosition += n;
        if (m_nBufLen == kBufferSize)
            Flush();
    }
}

void CArchive::WriteInt32(std::int32_t value)
{
    unsigned char b[4];
    auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(u >> (8 * i));
    WriteBytes(b, 4);
}

void CArchive::WriteInt16(std::int16_t value)
{
    auto u = static_cast<std::uint16_t>(value);
    unsigned char b[2] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8)};
    WriteBytes(b, 2);
}

void CArchive::WriteDouble(double value)
{
    std::uint64_t u;
    std::memcpy(&u, &value, 8);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(u >> (8 * i));
    WriteBytes(b, 8);
}

void CArchive::WriteCount(std::uint32_t count)
{
    if (count < kCount16Escape) {
        WriteInt16(static_cast<std::int16_t>(count));
    } else {
        WriteInt16(static_cast<std::int16_t>(kCount16Escape));
        WriteInt32(static_cast<std::int32_t>(count));
    }
}

void CArchive::WriteString(const std::string& text)
{
    auto length = static_cast<std::uint32_t>(text.size());
    if (length < kLength8Escape) {
        unsigned char b = static_cast<unsigned char>(length);
        WriteBytes(&b, 1);
    } else {
        unsigned char b = kLength8Escape;
        WriteBytes(&b, 1);
        if (length < kWideMark) {
            WriteInt16(static_cast<std::int16_t>(length));
        } else {
            WriteInt16(static_cast<std::int16_t>(kLength16Escape));
            WriteInt32(static_cast<std::int32_t>(length));
        }
    }
    WriteBytes(text.data(), text.size());
}

void CArchive::Fill()
{
    long n = m_pSource->Read(m_buffer, kBufferSize);
    if (n < 0)
        throw CArchiveException(CArchiveException::readError, "Read failed");
    m_nBufPos = 0;
    m_nBufLen = static_cast<std::size_t>(n);
}

void CArchive::ReadBytes(void* data, std::size_t size)
{
    auto* out = static_cast<unsigned char*>(data);
    while (size > 0) {
        if (m_nBufPos == m_nBufLen) {
            Fill();
            if (m_nBufLen == 0)
                ThrowEndOfFile();
        }
        std::size_t n = std::min(size, m_nBufLen - m_nBufPos);
        std::memcpy(out, m_buffer + m_nBufPos, n);
        m_nBufPos += n;
        out += n;
        size -= n;
        m_nPosition += n;
    }
}

std::int32_t CArchive::ReadInt32()
{
    unsigned char b[4];
    ReadBytes(b, 4);
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | b[i];
    return static_cast<std::int32_t>(u);
}

std::int16_t CArchive::ReadInt16()
{
    unsigned char b[2];
    ReadBytes(b, 2);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

double CArchive::ReadDouble()
{
    unsigned char b[8];
    ReadBytes(b, 8);
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | b[i];
    double value;
    std::memcpy(&value, &u, 8);
    return value;
}

std::uint32_t CArchive::ReadCount()
{
    auto count = static_cast<std::uint16_t>(ReadInt16());
    if (count != kCount16Escape)
        return count;
    return static_cast<std::uint32_t>(ReadInt32());
}

std::uint32_t CArchive::ReadStringLength(bool& wide)
{
    wide = false;
    for (;;) {
        unsigned char b;
        ReadBytes(&b, 1);
        if (b != kLength8Escape)
            return b;
        auto w = static_cast<std::uint16_t>(ReadInt16());
        if (w == kWideMark) {
            // The wide mark is followed by a length prefix of its own; a second mark is
            // not a length and would only repeat, so it counts as damage.
            if (wide)
                throw CArchiveException(CArchiveException::badCount, "Bad text length");
            wide = true;
            continue;
        }
        if (w != kLength16Escape)
            return w;
        return static_cast<std::uint32_t>(ReadInt32());
    }
}

std::string CArchive::ReadString()
{
    bool wide = false;
    std::uint32_t length = ReadStringLength(wide);
    std::string text;
    // The length comes from the file: grow the text as bytes actually arrive, so a huge
    // length in a short file costs no more than the file itself.
    constexpr std::uint32_t kChunk = 64 * 1024;
    if (!wide) {
        while (length > 0) {
            std::uint32_t n = std::min(length, kChunk);
            std::size_t old = text.size();
            text.resize(old + n);
            ReadBytes(text.data() + old, n);
            length -= n;
        }
        return text;
    }
    text.reserve(std::min(length, kChunk));
    char32_t pendingHigh = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        auto unit = static_cast<char16_t>(static_cast<std::uint16_t>(ReadInt16()));
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (pendingHigh)
                text += '?';
            pendingHigh = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && pendingHigh) {
            pendingHigh = 0;
            text += '?'; // no astral character exists in Windows-1252
            continue;
        }
        if (pendingHigh) {
            text += '?';
            pendingHigh = 0;
        }
        text += CodePointToWindows1252(unit);
    }
    if (pendingHigh)
        text += '?';
    return text;
}
