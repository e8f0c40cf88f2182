// Cutting the server's bytes into replies: pieces, multi-line replies, garbage, and bytes
// left for the next reply.
#include "notify/SmtpReply.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Feeds the text one byte at a time and returns the replies it yields, then the rest.
std::vector<CSmtpReply> ByteByByte(const std::string& text, bool closeAtEnd)
{
    CSmtpReplyReader reader;
    std::vector<CSmtpReply> replies;
    CSmtpReply reply;
    for (char c : text) {
        reader.Append(&c, 1);
        while (reader.TakeReply(reply))
            replies.push_back(reply);
    }
    if (closeAtEnd && reader.TakeRest(reply))
        replies.push_back(reply);
    return replies;
}

} // namespace

TEST(SmtpReplyReader, WholeRepliesWhateverThePieces)
{
    auto replies = ByteByByte("220-first\r\n220-second\r\n220 last\r\n250 ok\n354\r\n", false);
    ASSERT_EQ(replies.size(), 3U);
    EXPECT_EQ(replies[0].m_nCode, 220);
    EXPECT_EQ(replies[0].m_sFirstLine, "220-first");
    EXPECT_EQ(replies[1].m_nCode, 250); // a bare LF ends a line too
    EXPECT_EQ(replies[2].m_nCode, 354); // three digits alone are a reply

    CSmtpReplyReader reader;
    reader.Append("250 a\r\n221 b\r\n", 14);
    CSmtpReply reply;
    ASSERT_TRUE(reader.TakeReply(reply));
    EXPECT_EQ(reply.m_nCode, 250);
    ASSERT_TRUE(reader.TakeReply(reply)); // the second stays for the next reply
    EXPECT_EQ(reply.m_nCode, 221);
    EXPECT_FALSE(reader.TakeReply(reply));
    EXPECT_EQ(reader.BufferedBytes(), 0U);
}

TEST(SmtpReplyReader, MalformedRepliesHaveNoCode)
{
    for (const char* text : {"hello\r\n", "25\r\n", "2500 x\r\n", "25x ok\r\n", "\r\n",
                             "250-a\r\n251 b\r\n", "250-a\r\nxyz\r\n", " 250 ok\r\n"}) {
        auto replies = ByteByByte(text, false);
        ASSERT_EQ(replies.size(), 1U) << text;
        EXPECT_EQ(replies[0].m_nCode, 0) << text;
    }
}

TEST(SmtpReplyReader, WhatIsLeftWhenTheServerCloses)
{
    auto unterminated = ByteByByte("250 ok", true);
    ASSERT_EQ(unterminated.size(), 1U);
    EXPECT_EQ(unterminated[0].m_nCode, 250);

    for (const char* text : {"25", "250-more to come\r\n", "250-more\r\n250-"}) {
        auto cut = ByteByByte(text, true);
        ASSERT_EQ(cut.size(), 1U) << text;
        EXPECT_EQ(cut[0].m_nCode, 0) << text;
    }
    EXPECT_TRUE(ByteByByte("", true).empty());
}

TEST(SmtpReplyReader, EndlessRepliesAreCut)
{
    CSmtpReplyReader reader;
    CSmtpReply reply;
    std::string line = "250-" + std::string(1000, 'x') + "\r\n";
    std::size_t fed = 0;
    bool taken = false;
    while (!taken && fed < 4 * CSmtpReplyReader::kMaxReplyBytes) {
        reader.Append(line.data(), line.size());
        fed += line.size();
        taken = reader.TakeReply(reply);
    }
    ASSERT_TRUE(taken);
    EXPECT_LE(fed, CSmtpReplyReader::kMaxReplyBytes + line.size());
    EXPECT_EQ(reply.m_nCode, 0);
    EXPECT_EQ(reply.m_sFirstLine.size(), line.size() - 2);

    CSmtpReplyReader longLine;
    std::string huge = "250 " + std::string(5000, 'y') + "\r\n";
    longLine.Append(huge.data(), huge.size());
    ASSERT_TRUE(longLine.TakeReply(reply));
    EXPECT_EQ(reply.m_nCode, 250);
    EXPECT_EQ(reply.m_sFirstLine.size(), CSmtpReplyReader::kMaxKeptLine);
}
