// CSmtpReplyReader: cuts the bytes a mail server sends into whole replies. A reply is one
// line, or several lines whose code is followed by "-" and a last line whose code is not.
// Bytes are untrusted (from the server): any length, any content, any split into pieces.
#pragma once

#include <cstddef>
#include <string>

struct CSmtpReply
{
    // The three-digit code, or 0 when the reply is not a well-formed SMTP reply (no three
    // digits, lines with different codes, nothing before the server closed, too long).
    int m_nCode = 0;
    // The first line without its line end, cut to kMaxKeptLine bytes.
    std::string m_sFirstLine;
};

class CSmtpReplyReader
{
  public:
    // Reply lines are at most 512 bytes; anything past this is not shown to anyone.
    static constexpr std::size_t kMaxKeptLine = 1023;
    // A reply still without its last line after this many bytes is garbage, not a reply.
    static constexpr std::size_t kMaxReplyBytes = std::size_t{64} * 1024;

    void Append(const char* pData, std::size_t nSize) { m_sPending.append(pData, nSize); }

    // Takes the next whole reply out of the bytes received so far. Bytes after it stay
    // for the next call. A reply that grows past kMaxReplyBytes is taken as malformed and
    // its bytes dropped. False when more bytes are needed.
    bool TakeReply(CSmtpReply& reply);

    // For the end of the stream: takes what is left as a reply whose last line may lack
    // its line end. False when nothing is left.
    bool TakeRest(CSmtpReply& reply);

    void Reset() { m_sPending.clear(); }
    std::size_t BufferedBytes() const { return m_sPending.size(); }

  private:
    // Judges the reply held in the first nLength pending bytes and removes them.
    void Consume(std::size_t nLength, CSmtpReply& reply);

    std::string m_sPending;
};
