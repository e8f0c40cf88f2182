// Fuzzes tag removal line by line: nothing is added, and no "<" survives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/net/HttpLineReader.h"
#include "quotes/HtmlTags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    ResetHtmlTagState();
    CHttpLineReader lines(std::string_view(reinterpret_cast<const char*>(pData), nSize));
    std::string strLine;
    while (lines.ReadString(strLine)) {
        const std::size_t nBefore = strLine.size();
        if (nBefore > kMaxLineRead) {
            std::abort();
        }
        StripHtmlTags(strLine);
        if (strLine.size() > nBefore || strLine.find('<') != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
