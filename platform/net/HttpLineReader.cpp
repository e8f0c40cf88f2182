#include "platform/net/HttpLineReader.h"

bool CHttpLineReader::ReadString(std::string& strLine)
{
    strLine.clear();
    if (m_nPos >= m_body.size()) {
        return false;
    }
    std::size_t nCount = 0;
    while (nCount < kMaxLineRead && m_nPos < m_body.size()) {
        const char c = m_body[m_nPos++];
        ++nCount;
        if (c == '\r') {
            continue;
        }
        strLine += c;
        if (c == '\n') {
            break;
        }
    }
    return true;
}
