// Reads a response body line by line the way the quote readers expect: at most
// kMaxLineRead characters a read, carriage returns dropped but counted, the line feed kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A line buffer of 1023 characters with its terminating null leaves 1022 for the text; a
// longer line arrives in several reads.
constexpr std::size_t kMaxLineRead = 1022;

class CHttpLineReader
{
  public:
    // The body must outlive the reader. Untrusted: the bytes come from the server.
    explicit CHttpLineReader(std::string_view body) : m_body(body) {}

    // Delivers the next line into strLine (replacing its contents). Returns false once no
    // further character can be read; a last line without line feed is still delivered.
    bool ReadString(std::string& strLine);

  private:
    std::string_view m_body;
    std::size_t m_nPos = 0;
};
