// The mail message's recipient list, and the text rules of the body and header.
#include "notify/MailMessage.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "notify/MailText.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs RecipientsOf(const CMailMessage& message)
{
    Pairs pairs;
    for (int i = 0; i < message.GetNumRecipients(); ++i) {
        std::string address, name;
        EXPECT_TRUE(message.GetRecipient(i, address, name));
        pairs.emplace_back(address, name);
    }
    return pairs;
}

Pairs Parse(const std::string& text, bool expected = true)
{
    CMailMessage message;
    EXPECT_EQ(message.AddMultipleRecipients(text), expected) << text;
    return RecipientsOf(message);
}

} // namespace

TEST(MailMessage, RecipientLists)
{
    EXPECT_EQ(Parse("a@x.test;b@x.test"), (Pairs{{"a@x.test", ""}, {"b@x.test", ""}}));
    EXPECT_EQ(Parse("Pager Man <p@x.test>"), (Pairs{{"p@x.test", "Pager Man "}}));
    // Nothing is trimmed: the space after ";" belongs to the second address.
    EXPECT_EQ(Parse("a@x.test; b@x.test"), (Pairs{{"a@x.test", ""}, {" b@x.test", ""}}));
    EXPECT_EQ(Parse("a@x.test;"), (Pairs{{"a@x.test", ""}, {"", ""}}));
    EXPECT_EQ(Parse(""), (Pairs{{"", ""}}));
    EXPECT_EQ(Parse("a>b@x.test"), (Pairs{{"a>b@x.test", ""}}));
    EXPECT_EQ(Parse("<p@x.test> trailing"), (Pairs{{"p@x.test", ""}}));
    EXPECT_EQ(Parse("N <a<b>"), (Pairs{{"a<b", "N "}}));
    // A "<" without a ">" after it stops the list; what came before stays.
    EXPECT_EQ(Parse("a@x.test;Name <b@x.test;c@x.test", false), (Pairs{{"a@x.test", ""}}));
    EXPECT_EQ(Parse("a@x.test;x>y<z", false), (Pairs{{"a@x.test", ""}}));

    CMailMessage message;
    EXPECT_TRUE(message.AddRecipient("one@x.test"));
    std::string address = "unchanged", name = "unchanged";
    EXPECT_FALSE(message.GetRecipient(-1, address, name));
    EXPECT_FALSE(message.GetRecipient(1, address, name));
    EXPECT_EQ(address, "unchanged");
    EXPECT_EQ(name, "unchanged");
}

TEST(MailText, BodyTravelsWhole)
{
    EXPECT_EQ(MailStuffBody(".\r\n"), "..\r\n");
    EXPECT_EQ(MailStuffBody("a\r\n.\r\nb\r\n"), "a\r\n..\r\nb\r\n");
    EXPECT_EQ(MailStuffBody("a\r\n.\r\n.\r\n"), "a\r\n..\r\n..\r\n");
    // Every leading dot is doubled, since the server takes one away from every such line.
    EXPECT_EQ(MailStuffBody(".a\r\n..b\r\nc.d"), "..a\r\n...b\r\nc.d");
    EXPECT_EQ(MailStuffBody("word"), "word");
    EXPECT_EQ(MailStuffBody(""), "");
    // Lone line ends become CR LF, so "\n.\n" cannot end the data at any server.
    EXPECT_EQ(MailStuffBody("a\n.\nb\r.\rc\r\n"), "a\r\n..\r\nb\r\n..\r\nc\r\n");
    EXPECT_EQ(MailStuffBody("\r\r\n\n"), "\r\n\r\n\r\n");
}

TEST(MailText, HeaderAndCommandTexts)
{
    std::string nasty("a\r\nb\nc\rd\0e\tf", 12);
    EXPECT_EQ(MailHeaderSafe(nasty), "a  b c d e\tf");
    EXPECT_EQ(MailCommandSafe(nasty), "abcde\tf");
    EXPECT_EQ(MailHeaderSafe("plain <x@y.test>"), "plain <x@y.test>");

    EXPECT_EQ(MailDateText(1796752576), "Tue, 08 Dec 26 12:56:16 EST");
    EXPECT_EQ(MailDateText(1783170005), "Sat, 04 Jul 26 09:00:05 EDT");
    EXPECT_EQ(MailDateText(0), "Wed, 31 Dec 69 19:00:00 EST");
}
