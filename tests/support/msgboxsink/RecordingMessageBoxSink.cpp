#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

CRecordingMessageBoxSink::CRecordingMessageBoxSink()
    : m_pPrevious(SetMessageBoxSink(this)), m_nDefaultAnswer(IDNO)
{
}

CRecordingMessageBoxSink::~CRecordingMessageBoxSink()
{
    SetMessageBoxSink(m_pPrevious);
}

int CRecordingMessageBoxSink::Show(const SMessageBoxRequest& request)
{
    m_boxes.push_back(request);
    if (m_whileShown)
        m_whileShown(request);
    if (!m_answers.empty()) {
        const int nAnswer = m_answers.front();
        m_answers.pop_front();
        return nAnswer;
    }
    return request.nButtons == MB_OK ? IDOK : m_nDefaultAnswer;
}
