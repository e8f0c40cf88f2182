// The SMTP server setting: host, host:port, [v6]:port, the keyring's name for it, and what
// may go into a URL.
#include "notify/SmtpServerSetting.h"

#include <gtest/gtest.h>

namespace {

CSmtpServerAddress Parsed(const std::string& text)
{
    CSmtpServerAddress address;
    std::string reason;
    EXPECT_TRUE(ParseSmtpServer(text, address, reason)) << text << ": " << reason;
    return address;
}

std::string Refusal(const std::string& text)
{
    CSmtpServerAddress address;
    address.m_sHost = "untouched";
    std::string reason;
    EXPECT_FALSE(ParseSmtpServer(text, address, reason)) << text;
    EXPECT_EQ(address.m_sHost, "untouched");
    return reason;
}

} // namespace

TEST(SmtpServerSetting, HostPortAndBracketedAddresses)
{
    CSmtpServerAddress bare = Parsed("mail.example.com");
    EXPECT_EQ(bare.m_sHost, "mail.example.com");
    EXPECT_EQ(bare.m_nPort, 25U);
    EXPECT_FALSE(bare.m_bPortNamed);
    // A host alone is taken exactly as typed, for the plain client to resolve as before.
    EXPECT_EQ(Parsed(" odd name ").m_sHost, " odd name ");
    EXPECT_EQ(Parsed("").m_sHost, "");

    CSmtpServerAddress submission = Parsed("smtp.example.com:587");
    EXPECT_EQ(submission.m_sHost, "smtp.example.com");
    EXPECT_EQ(submission.m_nPort, 587U);
    EXPECT_TRUE(submission.m_bPortNamed);
    EXPECT_EQ(Parsed("h:25").m_nPort, 25U);
    EXPECT_TRUE(Parsed("h:25").m_bPortNamed);
    EXPECT_EQ(Parsed("h:1").m_nPort, 1U);
    EXPECT_EQ(Parsed("h:65535").m_nPort, 65535U);

    CSmtpServerAddress v6 = Parsed("[2001:db8::25]:465");
    EXPECT_EQ(v6.m_sHost, "2001:db8::25");
    EXPECT_EQ(v6.m_nPort, 465U);
    EXPECT_EQ(Parsed("[::1]").m_nPort, 25U);
    EXPECT_FALSE(Parsed("[::1]").m_bPortNamed);
    // Several colons without brackets: an address, not a port.
    CSmtpServerAddress bareV6 = Parsed("::1");
    EXPECT_EQ(bareV6.m_sHost, "::1");
    EXPECT_EQ(bareV6.m_nPort, 25U);

    EXPECT_EQ(Refusal("h:0"), "the port 0 is not a number from 1 to 65535");
    EXPECT_EQ(Refusal("h:65536"), "the port 65536 is not a number from 1 to 65535");
    EXPECT_EQ(Refusal("h:"), "the port \"\" is not a number from 1 to 65535");
    EXPECT_EQ(Refusal("h:587 "), "the port \"587 \" is not a number from 1 to 65535");
    EXPECT_EQ(Refusal("h:+587"), "the port \"+587\" is not a number from 1 to 65535");
    EXPECT_EQ(Refusal("h:0000587"), "the port \"0000587\" is not a number from 1 to 65535");
    EXPECT_EQ(Refusal(":587"), "no server name before the port");
    EXPECT_EQ(Refusal("[::1:587"), "the \"[\" before the address is never closed");
    EXPECT_EQ(Refusal("[::1]587"), "only \":PORT\" may follow the address in brackets");
    EXPECT_EQ(Refusal("[]:587"), "the brackets hold no address");
}

TEST(SmtpServerSetting, KeyringNamesAndUrlSafeHosts)
{
    EXPECT_EQ(SmtpServerKey(Parsed("smtp.example.com:587")), "smtp.example.com:587");
    EXPECT_EQ(SmtpServerKey(Parsed("mail.example.com")), "mail.example.com:25");
    EXPECT_EQ(SmtpServerKey(Parsed("[::1]:2525")), "[::1]:2525");
    EXPECT_EQ(SmtpServerKey(Parsed("::1")), "[::1]:25");

    for (const char* good : {"smtp.example.com", "127.0.0.1", "mail-1.example_x.test", "::1",
                             "2001:db8::25", "::ffff:127.0.0.1"})
        EXPECT_TRUE(IsPlainHostName(good)) << good;
    for (const char* bad : {"", "user@host", "host/path", "host?x", "host#x", "a b", "host%00",
                            "-option", ".", "h\r\nRCPT", "[::1]", "ho:st"})
        EXPECT_FALSE(IsPlainHostName(bad)) << bad;
    EXPECT_TRUE(IsPlainHostName(std::string(253, 'a')));
    EXPECT_FALSE(IsPlainHostName(std::string(254, 'a')));
}
