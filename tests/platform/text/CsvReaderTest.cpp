// CSV records: quoting, line ends, line numbers, and the malformed forms refused.
#include "platform/text/CsvReader.h"

#include <gtest/gtest.h>

TEST(CsvReader, QuotedFieldsLineEndsAndLineNumbers)
{
    SCsvResult r = ReadCsv("a,b,c\r\n1,\"x, \"\"y\"\"\",\r\n\r\n\"two\nlines\",2,3\n4,5,6");
    ASSERT_TRUE(r.bOk) << r.error;
    ASSERT_EQ(r.records.size(), 4u);
    EXPECT_EQ(r.records[1].fields, (std::vector<std::string>{"1", "x, \"y\"", ""}));
    EXPECT_EQ(r.records[1].line, 2u);
    EXPECT_EQ(r.records[2].fields[0], "two\nlines");
    EXPECT_EQ(r.records[2].line, 4u);
    EXPECT_EQ(r.records[3].line, 6u);
    EXPECT_EQ(r.records[3].fields, (std::vector<std::string>{"4", "5", "6"}));

    EXPECT_TRUE(ReadCsv("").records.empty());
    EXPECT_EQ(ReadCsv("\"\"\n").records.size(), 1u); // one empty quoted field is a record
}

TEST(CsvReader, MalformedRecordsAreRefusedWithTheirLine)
{
    struct Bad
    {
        const char* text;
        std::size_t line;
        const char* says;
    } bad[] = {
        {"a,b\n1,\"open\n2,3\n", 2, "never closed"},
        {"a,b\n1,x\"y\n", 2, "does not start with one"},
        {"a,b\n\n\"q\"x,1\n", 3, "after a closing"},
    };
    for (const Bad& b : bad) {
        SCsvResult r = ReadCsv(b.text);
        EXPECT_FALSE(r.bOk) << b.text;
        EXPECT_EQ(r.errorLine, b.line) << b.text;
        EXPECT_NE(r.error.find(b.says), std::string::npos) << r.error;
        EXPECT_TRUE(r.records.empty());
    }
    // At the limit and one past it.
    EXPECT_TRUE(ReadCsv(std::string(kCsvFieldMax, 'x')).bOk);
    EXPECT_FALSE(ReadCsv(std::string(kCsvFieldMax + 1, 'x')).bOk);
    EXPECT_TRUE(ReadCsv("\"" + std::string(kCsvFieldMax, 'x') + "\"").bOk);
    EXPECT_FALSE(ReadCsv("\"" + std::string(kCsvFieldMax + 1, 'x') + "\"").bOk);
}
