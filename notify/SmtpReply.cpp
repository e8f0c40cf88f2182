#include "notify/SmtpReply.h"

#include <string_view>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The line's code when it starts with exactly three digits, else 0.
int LineCode(std::string_view line)
{
    if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2]))
        return 0;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-' && line[3] != '\r')
        return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

bool IsContinuation(std::string_view line)
{
    return LineCode(line) != 0 && line.size() > 3 && line[3] == '-';
}

std::string_view WithoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

void CSmtpReplyReader::Consume(std::size_t nLength, CSmtpReply& reply)
{
    std::string_view all(m_sPending.data(), nLength);
    reply = CSmtpReply{};

    int code = -1;
    bool first = true;
    while (!all.empty()) {
        std::size_t end = all.find('\n');
        std::string_view line = all.substr(0, end == std::string_view::npos ? all.size() : end + 1);
        all.remove_prefix(line.size());
        line = WithoutLineEnd(line);
        if (first) {
            reply.m_sFirstLine = std::string(line.substr(0, kMaxKeptLine));
            first = false;
        }
        int lineCode = LineCode(line);
        if (code == -1)
            code = lineCode;
        else if (lineCode != code)
            code = 0;
    }
    reply.m_nCode = code < 0 ? 0 : code;
    m_sPending.erase(0, nLength);
}

bool CSmtpReplyReader::TakeReply(CSmtpReply& reply)
{
    std::size_t start = 0;
    for (;;) {
        std::size_t end = m_sPending.find('\n', start);
        if (end == std::string::npos)
            break;
        std::string_view line(m_sPending.data() + start, end + 1 - start);
        if (!IsContinuation(line)) {
            Consume(end + 1, reply);
            return true;
        }
        start = end + 1;
    }
    if (m_sPending.size() > kMaxReplyBytes) {
        Consume(m_sPending.size(), reply);
        reply.m_nCode = 0;
        return true;
    }
    return false;
}

bool CSmtpReplyReader::TakeRest(CSmtpReply& reply)
{
    if (TakeReply(reply))
        return true;
    if (m_sPending.empty())
        return false;
    std::size_t size = m_sPending.size();
    bool lastIsContinuation = false;
    std::size_t lastStart = m_sPending.rfind('\n');
    lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
    if (lastStart < size)
        lastIsContinuation = IsContinuation(std::string_view(m_sPending).substr(lastStart));
    Consume(size, reply);
    // A reply cut off before its last line is not a reply.
    if (lastIsContinuation || lastStart == size)
        reply.m_nCode = 0;
    return true;
}
