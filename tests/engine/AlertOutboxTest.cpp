// The outbox sends due alerts off the caller's thread, one after another in queue order, with
// each alert's failures in the order connect, send, disconnect.
#include "engine/AlertOutbox.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct SLog
{
    std::mutex mutex;
    std::vector<std::string> steps;
    std::vector<std::thread::id> threads;
    void Add(const std::string& strStep)
    {
        std::lock_guard<std::mutex> lock(mutex);
        steps.push_back(strStep);
        threads.push_back(std::this_thread::get_id());
    }
};

// Fails every step for the server "down"; the others succeed after a short wait.
class CLoggingMailer : public CAlertMailer
{
  public:
    CLoggingMailer(SLog& log, std::string strServer) : m_log(log), m_strServer(std::move(strServer))
    {
    }
    bool Connect() override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_log.Add("connect " + m_strServer);
        return m_strServer != "down";
    }
    bool SendMail(CMailMessage& message) override
    {
        m_log.Add("send " + message.m_sSubject);
        return m_strServer != "down";
    }
    bool Disconnect() override
    {
        m_log.Add("disconnect " + m_strServer);
        return m_strServer != "down";
    }
    std::string GetLastErrorText() const override { return "failed at " + m_strServer; }

  private:
    SLog& m_log;
    std::string m_strServer;
};

SAlertMail Mail(const std::string& strSubject, const std::string& strServer)
{
    SAlertMail mail;
    mail.message.m_sSubject = strSubject;
    mail.strSmtpServer = strServer;
    return mail;
}

} // namespace

TEST(AlertOutbox, SendsInQueueOrderOffTheCallersThread)
{
    SLog log;
    std::vector<std::string> failures;
    std::mutex failureMutex;
    {
        CAlertOutbox outbox(
            [&log](const std::string& strServer) {
                return std::make_unique<CLoggingMailer>(log, strServer);
            },
            [&](const std::string& strText) {
                std::lock_guard<std::mutex> lock(failureMutex);
                failures.push_back(strText);
            });
        EXPECT_FALSE(outbox.IsBusy());
        outbox.Queue(Mail("first", "mail.test"));
        outbox.Queue(Mail("second", "down"));
        outbox.Queue(Mail("third", "mail.test"));
        EXPECT_TRUE(outbox.IsBusy());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (outbox.IsBusy() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(outbox.IsBusy());
    }
    std::lock_guard<std::mutex> lock(log.mutex);
    EXPECT_EQ(log.steps, (std::vector<std::string>{
                             "connect mail.test", "send first", "disconnect mail.test",
                             "connect down", "send second", "disconnect down", "connect mail.test",
                             "send third", "disconnect mail.test"}));
    for (const std::thread::id id : log.threads)
        EXPECT_NE(id, std::this_thread::get_id());
    EXPECT_EQ(failures,
              (std::vector<std::string>{"failed at down", "failed at down", "failed at down"}));
}
