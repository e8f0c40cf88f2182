// A message-box sink for tests: installs itself for its lifetime, records every box (text,
// caption, icon, buttons) and answers from a queue, or with a default answer when the queue
// is empty. A hook can run while a box is "open", as a nested event loop would let a timer
// tick run.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/framework/MessageBox.h"

class CRecordingMessageBoxSink : public CMessageBoxSink
{
  public:
    CRecordingMessageBoxSink();
    ~CRecordingMessageBoxSink() override;
    CRecordingMessageBoxSink(const CRecordingMessageBoxSink&) = delete;
    CRecordingMessageBoxSink& operator=(const CRecordingMessageBoxSink&) = delete;

    int Show(const SMessageBoxRequest& request) override;

    // Answers given in order to the next boxes (IDYES, IDNO, IDOK, IDCANCEL).
    void QueueAnswer(int nAnswer) { m_answers.push_back(nAnswer); }
    // Answer when the queue is empty: IDOK for an OK box, else this (IDNO by default).
    void SetDefaultAnswer(int nAnswer) { m_nDefaultAnswer = nAnswer; }
    // Runs during every box, before it is answered.
    void SetWhileShown(std::function<void(const SMessageBoxRequest&)> hook)
    {
        m_whileShown = std::move(hook);
    }

    const std::vector<SMessageBoxRequest>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }

  private:
    CMessageBoxSink* m_pPrevious;
    std::vector<SMessageBoxRequest> m_boxes;
    std::deque<int> m_answers;
    int m_nDefaultAnswer;
    std::function<void(const SMessageBoxRequest&)> m_whileShown;
};
