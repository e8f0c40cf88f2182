#include "platform/net/HttpCancel.h"

#include <algorithm>
#include <curl/curl.h>

void CHttpCancel::Cancel()
{
    m_bCancelled.store(true);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (void* pMulti : m_watchers)
        curl_multi_wakeup(static_cast<CURLM*>(pMulti));
}

void CHttpCancel::Watch(void* pMulti)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watchers.push_back(pMulti);
}

void CHttpCancel::Unwatch(void* pMulti)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_watchers.erase(std::remove(m_watchers.begin(), m_watchers.end(), pMulti), m_watchers.end());
}
