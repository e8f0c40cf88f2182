// tfport's texts: arguments taken in from the locale's encoding and kept as Windows-1252,
// output converted back, text without a Windows-1252 form refused; help and version.
#include "tests/tools/tfport/TfportFixture.h"

namespace {
class TextAndHelp : public CTfportFixture
{
  protected:
    void SetUp() override { Ok({"init"}); }

    // tfport under a locale that is named but not installed here: its name gives the
    // encoding.
    tf::test::SProcessResult InLocale(const std::string& locale,
                                      const std::vector<std::string>& args)
    {
        tf::test::SProcessOptions options;
        options.unsetEnv = {"LC_ALL", "LC_CTYPE"};
        options.env = {{"LANG", locale}};
        return Tfport(args, options);
    }
};
} // namespace

TEST_F(TextAndHelp, ArgumentsAreStoredAsWindows1252AndShownInTheLocale)
{
    Ok({"buy", "NESTL\xC3\x89", "10", "90", "--country", "Switzerland"});
    EXPECT_EQ(TradeSymbol(Trade(1)), "NESTL\xC9");
    EXPECT_NE(Ok({"show"}).find("NESTL\xC3\x89  "), std::string::npos);
    EXPECT_NE(Ok({"export", "--format", "json"}).find("\"symbol\": \"NESTL\xC3\x89\""),
              std::string::npos);

    Ok({"settings", "--mail-from", "J\xC3\xB6rg <j@example.org>"});
    EXPECT_EQ(Portfolio().m_strMailFrom, "J\xF6rg <j@example.org>");
    Ok({"category", "add", "\xE2\x82\xAC Fonds"}); // the euro sign is byte 0x80
    EXPECT_EQ(Portfolio().m_categories.back(), "\x80 Fonds");

    // Lengths count characters: ten of two bytes each fit the symbol, eleven do not.
    const std::string umlauts = "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9"
                                "\xC3\xA8\xC3\xA0";
    Ok({"buy", umlauts, "1", "1"});
    EXPECT_EQ(TradeSymbol(Trade(2)).size(), 10u);
    Refused({"buy", umlauts + "\xC3\xA2", "1", "1"}, "is longer than 10 characters");
}

TEST_F(TextAndHelp, TextWithoutAWindows1252FormIsRefusedNamingTheCharacter)
{
    Refused({"buy", "\xE6\x97\xA5\xE6\x9C\xAC", "1", "1"},
            "\"\xE6\x97\xA5\" (U+65E5), which a portfolio cannot store");
    Refused({"settings", "--pager", "a\xF0\x9F\x93\x9F@b"}, "(U+1F4DF)");
    Refused({"buy", "BAD\xFF", "1", "1"}, "bytes that are not UTF-8 text");
    EXPECT_EQ(Tfport({"buy", "\xE6\x97\xA5", "1", "1"}).exitCode, 2);

    // A file name is taken as the file system spells it.
    const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC.kgw";
    EXPECT_EQ(Tfport({"--file", name, "init"}).exitCode, 0);
    EXPECT_FALSE(tf::test::ReadFileBytes(m_dir / name).empty());
}

TEST_F(TextAndHelp, ALatinNineLocaleIsReadAndWrittenInItsOwnEncoding)
{
    // 0xA4 is the euro sign in ISO-8859-15; 0xC9 is É in both.
    tf::test::SProcessResult bought =
        InLocale("de_DE.ISO-8859-15", {"buy", "\xA4NESTL\xC9", "10", "90"});
    ASSERT_EQ(bought.exitCode, 0) << bought.err;
    EXPECT_EQ(bought.out, "Trade 1: bought 10.00 \xA4NESTL\xC9 at 90.0000\n");
    EXPECT_EQ(TradeSymbol(Trade(1)), "\x80NESTL\xC9");
    // The same record on a UTF-8 terminal.
    EXPECT_NE(Ok({"show"}).find("\xE2\x82\xACNESTL\xC3\x89"), std::string::npos);
    // German number formats never enter: amounts print with a point.
    EXPECT_NE(InLocale("de_DE.ISO-8859-15", {"totals"}).out.find("-900.00"), std::string::npos);
}

TEST_F(TextAndHelp, HelpForEveryCommandAndTheVersion)
{
    tf::test::SProcessResult version = Tfport({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tfport 1.85\n");

    const std::string usage = Ok({"--help"});
    EXPECT_EQ(Ok({"-h"}), usage);
    EXPECT_EQ(Ok({"help"}), usage);
    for (const char* command :
         {"init", "show", "export", "import", "totals", "buy", "sell", "update", "remove",
          "category", "quote", "refresh", "settings", "mail"}) {
        EXPECT_NE(usage.find(std::string("  ") + command + " "), std::string::npos) << command;
        const std::string help = Ok({"help", command});
        EXPECT_EQ(help.rfind(std::string("usage: tfport ") + command, 0), 0u) << help;
        EXPECT_EQ(Ok({command, "--help"}), help) << command;
        EXPECT_EQ(Ok({command, "-h"}), help) << command;
    }
    const std::string buy = Ok({"help", "buy"});
    EXPECT_NE(buy.find("Dates: YYYY-MM-DD or YYYY-MM-DDTHH:MM (local time)"), std::string::npos);
    EXPECT_NE(buy.find("Countries: United States, Canada, United Kingdom, France, Germany, "
                       "Italy, Sweden, Norway, Australia, Switzerland, Ireland, New Zealand."),
              std::string::npos)
        << buy;
    EXPECT_NE(Ok({"help", "sell"}).find("to sell a symbol made only of"), std::string::npos);

    tf::test::SProcessResult unknown = Tfport({"help", "frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("no command \"frobnicate\""), std::string::npos);
    tf::test::SProcessResult none = Tfport({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out, usage);
}
