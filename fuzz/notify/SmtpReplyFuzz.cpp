// Server replies cut into arbitrary pieces: the reader must yield the same replies however
// the bytes arrive, keep every limit, and never read past what it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "notify/SmtpReply.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<CSmtpReply> ReadAll(const std::string& bytes, const std::vector<std::size_t>& cuts)
{
    CSmtpReplyReader reader;
    std::vector<CSmtpReply> replies;
    CSmtpReply reply;
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        std::size_t size = std::min(cut, bytes.size() - at);
        reader.Append(bytes.data() + at, size);
        at += size;
        while (reader.TakeReply(reply)) {
            Check(reply.m_nCode >= 0 && reply.m_nCode <= 999);
            Check(reply.m_sFirstLine.size() <= CSmtpReplyReader::kMaxKeptLine);
            replies.push_back(reply);
        }
        Check(reader.BufferedBytes() <= CSmtpReplyReader::kMaxReplyBytes);
        if (at == bytes.size())
            break;
    }
    if (reader.TakeRest(reply))
        replies.push_back(reply);
    Check(!reader.TakeRest(reply));
    Check(reader.BufferedBytes() == 0);
    return replies;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks how the rest is cut into receives.
    if (size == 0)
        return 0;
    std::size_t step = data[0] % 17 + 1;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<std::size_t> whole{bytes.size()};
    std::vector<std::size_t> pieces;
    for (std::size_t i = 0; i <= bytes.size(); i += step)
        pieces.push_back(step + i % 3);

    std::vector<CSmtpReply> a = ReadAll(bytes, whole);
    std::vector<CSmtpReply> b = ReadAll(bytes, pieces);
    // Replies longer than the cap are cut where the cap is reached, which depends on the
    // pieces; below it the result must not.
    if (bytes.size() <= CSmtpReplyReader::kMaxReplyBytes) {
        Check(a.size() == b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            Check(a[i].m_nCode == b[i].m_nCode);
            Check(a[i].m_sFirstLine == b[i].m_sFirstLine);
        }
    }
    return 0;
}
