// The portfolio file image, byte for byte: the example document, the length and count
// escapes at their boundaries, the wide-character text form, and damaged files.
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "model/Archive.h"
#include "model/PortfolioFile.h"
#include "tests/model/TestDocuments.h"

namespace {
std::string WriteText(const std::string& text)
{
    CStringSink sink;
    CArchive ar(sink);
    ar.WriteString(text);
    ar.Flush();
    return sink.m_bytes;
}

std::string WriteCount(std::uint32_t count)
{
    CStringSink sink;
    CArchive ar(sink);
    ar.WriteCount(count);
    ar.Flush();
    return sink.m_bytes;
}

std::string ReadText(const std::string& bytes)
{
    CMemorySource source(bytes.data(), bytes.size());
    CArchive ar(source);
    return ar.ReadString();
}

// Offset of the trades count: after the six widths, which follow the three variable texts.
std::size_t TradeCountOffset(const CBlotterSpace& doc)
{
    auto textSize = [](const std::string& s) { return 1 + s.size(); }; // short texts only
    return 8 + textSize(doc.m_strCategoryFilter) + textSize(doc.m_strBaseCountry) + 4 + 4 + 8 + 4 +
           8 + 4 + 4 + textSize(doc.m_strSmtpServer) + textSize(doc.m_strMailFrom) +
           textSize(doc.m_strPagerAddress) + 4 + 24;
}
} // namespace

TEST(FileFormat, ExampleDocumentIsExactly145BytesBothWays)
{
    CBlotterSpace doc = MakeExampleDocument();
    std::string bytes = SerializeToBytes(doc);
    ASSERT_EQ(bytes.size(), 145u);
    EXPECT_EQ(bytes, ExampleDocumentBytes());

    CBlotterSpace read;
    read.m_bCheckVersion = 0;
    read.m_categories.push_back("stale");
    read.m_trades.AddTail(MakeBuy(9, "OLD", 1, 1));
    ASSERT_TRUE(SerializeFromBytes(ExampleDocumentBytes(), read));
    EXPECT_EQ(read.m_strCategoryFilter, "All");
    EXPECT_EQ(read.m_strBaseCountry, "United States");
    EXPECT_EQ(read.m_bCheckVersion, 1);
    EXPECT_EQ(read.m_dFileVersion, 1.85);
    EXPECT_EQ(read.m_nAlertPercent, 5);
    EXPECT_EQ(read.m_nColumnWidth[5], 93);
    EXPECT_TRUE(read.m_trades.IsEmpty());
    ASSERT_EQ(read.m_categories.size(), 6u);
    EXPECT_EQ(read.m_categories[0], "All");
    EXPECT_EQ(read.m_categories[5], "Personal");
    EXPECT_EQ(SerializeToBytes(read), ExampleDocumentBytes());
}

TEST(FileFormat, EmptyListsEndWithFourZeroBytesAfterTheWidths)
{
    CBlotterSpace doc;
    std::string bytes = SerializeToBytes(doc);
    std::size_t at = TradeCountOffset(doc);
    ASSERT_EQ(bytes.size(), at + 4);
    EXPECT_EQ(bytes.substr(at), std::string(4, '\0'));
    EXPECT_EQ(bytes.substr(at - 4, 4), FromHex("5d 00 00 00")); // width 93, the last
}

TEST(FileFormat, TextLengthPrefixesAtTheirBoundaries)
{
    struct Case
    {
        std::size_t length;
        std::string prefix;
    } cases[] = {
        {0, FromHex("00")},
        {254, FromHex("fe")},
        {255, FromHex("ff ff 00")},
        {65533, FromHex("ff fd ff")},
        {65534, FromHex("ff ff ff fe ff 00 00")},
        {70000, FromHex("ff ff ff 70 11 01 00")},
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'x');
        std::string bytes = WriteText(text);
        EXPECT_EQ(bytes.substr(0, c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(ReadText(bytes), text) << c.length;
    }
}

TEST(FileFormat, CountPrefixesAtTheirBoundaries)
{
    EXPECT_EQ(WriteCount(0), FromHex("00 00"));
    EXPECT_EQ(WriteCount(65534), FromHex("fe ff"));
    EXPECT_EQ(WriteCount(65535), FromHex("ff ff ff ff 00 00"));
    EXPECT_EQ(WriteCount(65536), FromHex("ff ff 00 00 01 00"));
    for (std::uint32_t n : {0u, 65534u, 65535u, 65536u}) {
        std::string bytes = WriteCount(n);
        CMemorySource source(bytes.data(), bytes.size());
        CArchive ar(source);
        EXPECT_EQ(ar.ReadCount(), n);
    }
}

TEST(FileFormat, WideCharacterTextsReadAsWindows1252)
{
    // "Ab€é" in UTF-16LE after the wide mark, then a long-form wide length of 300.
    std::string bytes = FromHex("ff fe ff 04 41 00 62 00 ac 20 e9 00");
    EXPECT_EQ(ReadText(bytes), std::string("Ab\x80\xe9"));

    std::string longForm = FromHex("ff fe ff ff 2c 01");
    for (int i = 0; i < 300; ++i)
        longForm += FromHex("5a 00");
    EXPECT_EQ(ReadText(longForm), std::string(300, 'Z'));

    // A character Windows-1252 lacks, and a lone surrogate, become "?".
    EXPECT_EQ(ReadText(FromHex("ff fe ff 02 14 04 00 d8")), "??");

    // A document whose texts were written by a wide build reads like the 8-bit one.
    CBlotterSpace doc = MakeExampleDocument();
    std::string narrow = SerializeToBytes(doc);
    std::string wide =
        narrow.substr(0, 8) + FromHex("ff fe ff 03 41 00 6c 00 6c 00") + narrow.substr(12);
    CBlotterSpace read;
    ASSERT_TRUE(SerializeFromBytes(wide, read));
    EXPECT_EQ(SerializeToBytes(read), narrow);
}

TEST(FileFormat, TradeImageKeepsEveryOffsetAndTheTenCharacterSymbol)
{
    CBlotterSpace doc;
    TradeRecord trade = MakeBuy(7, "ABCDEFGHIJ", 100, 12.5);
    trade.refId = 3;
    trade.isSell = 1;
    trade.sellDate = 0x01020304;
    doc.m_trades.AddTail(trade);
    std::string bytes = SerializeToBytes(doc);
    std::size_t at = TradeCountOffset(doc) + 2;
    std::string image = bytes.substr(at, 168);
    ASSERT_EQ(image.size(), 168u);
    EXPECT_EQ(image.substr(0, 4), FromHex("07 00 00 00"));
    EXPECT_EQ(image.substr(4, 4), FromHex("03 00 00 00"));
    EXPECT_EQ(image.substr(36, 10), "ABCDEFGHIJ");
    EXPECT_EQ(image[46], '\0');
    EXPECT_EQ(image.substr(48, 8), FromHex("00 00 00 00 00 00 59 40")); // 100.0
    EXPECT_EQ(image.substr(88, 4), FromHex("01 00 00 00"));
    EXPECT_EQ(image.substr(164, 4), FromHex("04 03 02 01"));

    CBlotterSpace read;
    ASSERT_TRUE(SerializeFromBytes(bytes, read));
    ASSERT_EQ(read.m_trades.GetCount(), 1u);
    EXPECT_EQ(TradeSymbol(*read.m_trades.begin()), "ABCDEFGHIJ");
    EXPECT_EQ(std::memcmp(&*read.m_trades.begin(), image.data(), 168), 0);
}

TEST(FileFormat, GarbageInPaddingAndAfterTerminatorsIsZeroedOnRead)
{
    CBlotterSpace doc;
    doc.m_trades.AddTail(MakeBuy(1, "AB", 1, 1));
    std::string bytes = SerializeToBytes(doc);
    std::size_t at = TradeCountOffset(doc) + 2;
    for (std::size_t offset : {14u, 15u, 40u, 47u, 92u, 124u, 30u, 118u})
        bytes[at + offset] = '\x55';
    CBlotterSpace read;
    ASSERT_TRUE(SerializeFromBytes(bytes, read));
    EXPECT_EQ(SerializeToBytes(read), SerializeToBytes(doc));
}

TEST(FileFormat, EveryPrefixOfAFileReadsCleanlyAndKeepsWhatCameBefore)
{
    CBlotterSpace doc = MakeExampleDocument();
    doc.m_nRefreshMinutes = 42;
    doc.m_strSmtpServer = "mail.example";
    for (int i = 1; i <= 3; ++i)
        doc.m_trades.AddTail(MakeBuy(i, "SYM", i * 10.0, 5));
    std::string whole = SerializeToBytes(doc);
    std::size_t tradesAt = TradeCountOffset(doc) + 2;

    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        CBlotterSpace read;
        read.m_trades.AddTail(MakeBuy(99, "OLD", 1, 1));
        std::string error;
        EXPECT_FALSE(SerializeFromBytes(whole.substr(0, cut), read, &error)) << cut;
        EXPECT_FALSE(error.empty());
        if (cut >= 8) {
            EXPECT_EQ(read.m_nRefreshMinutes, 42) << cut;
        }
        std::size_t complete =
            cut < tradesAt ? 0 : std::min<std::size_t>(3, (cut - tradesAt) / 168);
        EXPECT_EQ(read.m_trades.GetCount(), complete) << cut;
        EXPECT_LE(read.m_categories.size(), 6u);
    }
}

TEST(FileFormat, HugeCountsInAShortFileEndEarlyWithoutAllocating)
{
    CBlotterSpace doc;
    doc.m_trades.AddTail(MakeBuy(1, "ONE", 1, 1));
    std::string bytes = SerializeToBytes(doc);
    std::size_t at = TradeCountOffset(doc);
    // Four billion trades announced, one present.
    std::string forged = bytes.substr(0, at) + FromHex("ff ff ff ff ff ff") + bytes.substr(at + 2);
    CBlotterSpace read;
    EXPECT_FALSE(SerializeFromBytes(forged, read));
    EXPECT_EQ(read.m_trades.GetCount(), 1u);

    // A text announced as four billion characters long.
    std::string text = FromHex("00 00 00 00 0a 00 00 00 ff ff ff ff ff ff ff 41 42");
    EXPECT_FALSE(SerializeFromBytes(text, read));
    EXPECT_EQ(read.m_nRefreshMinutes, 10);
}
