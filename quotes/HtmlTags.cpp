#include "quotes/HtmlTags.h"

namespace {

// The one piece of reading state that lives between lines (and between calls). Each thread
// reads its own replies, so each keeps its own.
thread_local bool g_bInsideTag = false;

} // namespace

void StripHtmlTags(std::string& strLine)
{
    std::size_t nOut = 0;
    for (const char c : strLine) {
        if (g_bInsideTag) {
            if (c == '>') {
                g_bInsideTag = false;
            }
        } else if (c == '<') {
            g_bInsideTag = true;
        } else {
            strLine[nOut++] = c;
        }
    }
    strLine.resize(nOut);
}

void ResetHtmlTagState()
{
    g_bInsideTag = false;
}

bool IsInsideHtmlTag()
{
    return g_bInsideTag;
}
