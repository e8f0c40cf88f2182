// What a mail server sends, and what a client sends, as libcurl's debug callback hands them
// to the transcript in arbitrary pieces: every limit holds, the pieces never change the
// outcome, and nothing sent after AUTH reaches the trace.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "notify/SmtpTranscript.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Lines of the input that start with "C" are the client's, the others the server's; the
// first byte of each line is not part of it.
struct SOutcome
{
    CSmtpTranscript::Step step;
    int code;
    std::string reply;
    std::string trace;
};

SOutcome Run(const std::string& bytes, std::size_t step)
{
    std::ostringstream trace;
    CSmtpTranscript transcript(&trace);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        bool client = bytes[start] == 'C';
        // The first byte says who speaks; the rest is what is said.
        std::string line = bytes.substr(start + 1, end - start - 1);
        for (std::size_t at = 0; at < line.size(); at += step) {
            std::string piece = line.substr(at, step);
            client ? transcript.OnSent(piece) : transcript.OnReceived(piece);
        }
        start = end;
    }
    Check(transcript.LastReply().size() <= CSmtpTranscript::kMaxKeptLine);
    Check(transcript.MessageReply().size() <= CSmtpTranscript::kMaxKeptLine);
    Check(transcript.LastCode() >= 0 && transcript.LastCode() <= 999);
    return {transcript.LastStep(), transcript.LastCode(), transcript.LastReply(), trace.str()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::size_t step = data[0] % 13 + 1;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    SOutcome whole = Run(bytes, bytes.size() + 1);
    SOutcome pieces = Run(bytes, step);
    Check(whole.step == pieces.step && whole.code == pieces.code && whole.reply == pieces.reply);
    Check(whole.trace == pieces.trace);
    // The initial response of an AUTH command is login data, never traced. (Only when the
    // word appears nowhere else, where it could be shown rightly.)
    const std::size_t at = bytes.find("SECRET");
    if (at != std::string::npos && bytes.find("SECRET", at + 1) == std::string::npos && at >= 8 &&
        bytes.compare(at - 8, 8, "CAUTH P ") == 0 && (at == 8 || bytes[at - 9] == '\n'))
        Check(whole.trace.find("SECRET") == std::string::npos);
    return 0;
}
