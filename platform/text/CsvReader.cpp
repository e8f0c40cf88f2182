#include "platform/text/CsvReader.h"

namespace {
class CCsvScanner
{
  public:
    explicit CCsvScanner(std::string_view text) : m_text(text) {}

    SCsvResult Read()
    {
        SCsvResult result;
        while (m_pos < m_text.size()) {
            SCsvRecord record;
            record.line = m_line;
            const bool quoted = m_text[m_pos] == '"';
            if (!ReadRecord(record.fields)) {
                result.bOk = false;
                result.records.clear();
                result.errorLine = m_errorLine;
                result.error = m_error;
                return result;
            }
            const bool blank = !quoted && record.fields.size() == 1 && record.fields[0].empty();
            if (!blank)
                result.records.push_back(std::move(record));
        }
        return result;
    }

  private:
    bool Fail(const char* why, std::size_t line)
    {
        m_error = why;
        m_errorLine = line;
        return false;
    }

    // Reads up to and including the record's line end (or the end of the text).
    bool ReadRecord(std::vector<std::string>& fields)
    {
        for (;;) {
            std::string field;
            if (!ReadField(field))
                return false;
            fields.push_back(std::move(field));
            if (m_pos >= m_text.size())
                return true;
            const char c = m_text[m_pos++];
            if (c == ',')
                continue;
            if (c == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n')
                ++m_pos;
            ++m_line;
            return true;
        }
    }

    bool ReadField(std::string& field)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == '"')
            return ReadQuoted(field);
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ',' || c == '\n' || c == '\r')
                break;
            if (c == '"')
                return Fail("a double quote inside a field that does not start with one", m_line);
            if (field.size() >= kCsvFieldMax)
                return Fail("a field longer than 4096 characters", m_line);
            field += c;
            ++m_pos;
        }
        return true;
    }

    bool ReadQuoted(std::string& field)
    {
        const std::size_t startLine = m_line;
        ++m_pos; // the opening quote
        for (;;) {
            if (m_pos >= m_text.size())
                return Fail("a quoted field that is never closed", startLine);
            const char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    ++m_pos;
                } else {
                    const bool ends = m_pos >= m_text.size() || m_text[m_pos] == ',' ||
                                      m_text[m_pos] == '\n' || m_text[m_pos] == '\r';
                    return ends ? true : Fail("text after a closing double quote", m_line);
                }
            } else if (c == '\n') {
                ++m_line;
            }
            if (field.size() >= kCsvFieldMax)
                return Fail("a field longer than 4096 characters", startLine);
            field += c;
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    std::size_t m_errorLine = 0;
    std::string m_error;
};
} // namespace

SCsvResult ReadCsv(std::string_view text)
{
    return CCsvScanner(text).Read();
}
