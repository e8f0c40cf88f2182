#include "model/ImportRows.h"

#include <array>
#include <cctype>
#include <cmath>

#include "model/CategoryRules.h"
#include "model/EntryChecks.h"
#include "platform/text/CsvReader.h"
#include "platform/text/DateTexts.h"
#include "platform/text/Numbers.h"

namespace {
enum EColumn {
    kId,
    kRefId,
    kStatus,
    kCategory,
    kSymbol,
    kQuantity,
    kPrice,
    kCurrentPrice,
    kDayChange,
    kSide,
    kFee,
    kCountry,
    kCostPrice,
    kAuxValue1,
    kAuxValue2,
    kBuyDate,
    kSellDate,
    kDate,
    kColumnCount
};

struct SColumnName
{
    const char* name;
    EColumn column;
};

// The export's names first, then the short ones people write by hand.
constexpr SColumnName kColumnNames[] = {
    {"id", kId},
    {"refId", kRefId},
    {"status", kStatus},
    {"category", kCategory},
    {"symbol", kSymbol},
    {"quantity", kQuantity},
    {"price", kPrice},
    {"currentPrice", kCurrentPrice},
    {"dayChange", kDayChange},
    {"isSell", kSide},
    {"brokerFee", kFee},
    {"country", kCountry},
    {"costPrice", kCostPrice},
    {"auxValue1", kAuxValue1},
    {"auxValue2", kAuxValue2},
    {"buyDate", kBuyDate},
    {"sellDate", kSellDate},
    {"side", kSide},
    {"fee", kFee},
    {"date", kDate},
};

constexpr EColumn kRequired[] = {kSymbol, kQuantity, kPrice, kFee, kSide, kCategory, kCountry};

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const char* ExportName(EColumn column)
{
    for (const SColumnName& c : kColumnNames)
        if (c.column == column)
            return c.name;
    return "?";
}

// Where each column stands in the records, and its name as the header writes it.
struct SHeader
{
    std::array<int, kColumnCount> index;
    std::array<std::string, kColumnCount> name;
    std::size_t width = 0;

    bool Has(EColumn column) const { return index[column] >= 0; }
};

class CRowReader
{
  public:
    CRowReader(const SHeader& header, const SCsvRecord& record) : m_header(header), m_record(record)
    {
    }

    const std::string& Text(EColumn column) const
    {
        static const std::string kEmpty;
        const int at = m_header.index[column];
        return at < 0 ? kEmpty : m_record.fields[static_cast<std::size_t>(at)];
    }

    std::string Where(EColumn column) const
    {
        return "line " + std::to_string(m_record.line) + ", " + m_header.name[column] + ": ";
    }

    bool Number(EColumn column, double& value, std::string& error) const
    {
        if (ParseWholeDouble(Text(column), value) && std::isfinite(value))
            return true;
        error = Where(column) + "\"" + Text(column) + "\" is not a finite number";
        return false;
    }

    bool Optional(EColumn column, std::optional<double>& value, std::string& error) const
    {
        if (Text(column).empty())
            return true;
        double number = 0;
        if (!Number(column, number, error))
            return false;
        value = number;
        return true;
    }

    bool Whole(EColumn column, std::int32_t& value, std::string& error) const
    {
        if (Text(column).empty())
            return true;
        double number = 0;
        if (!Number(column, number, error) || number != std::trunc(number) || number < 0 ||
            number > 2147483647.0) {
            error = Where(column) + "\"" + Text(column) + "\" is not a trade number";
            return false;
        }
        value = static_cast<std::int32_t>(number);
        return true;
    }

  private:
    const SHeader& m_header;
    const SCsvRecord& m_record;
};

bool ReadHeader(const SCsvRecord& record, SHeader& header, std::string& error)
{
    header.index.fill(-1);
    header.width = record.fields.size();
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
        for (const SColumnName& c : kColumnNames) {
            if (!SameName(record.fields[i], c.name))
                continue;
            if (header.Has(c.column)) {
                error = "line 1: the columns \"" + header.name[c.column] + "\" and \"" +
                        record.fields[i] + "\" say the same";
                return false;
            }
            header.index[c.column] = static_cast<int>(i);
            header.name[c.column] = record.fields[i];
        }
    }
    for (EColumn column : kRequired) {
        if (!header.Has(column)) {
            error = std::string("line 1: the header has no \"") + ExportName(column) + "\" column";
            return false;
        }
    }
    if (!header.Has(kDate) && !header.Has(kBuyDate)) {
        error = "line 1: the header has no \"buyDate\" (or \"date\") column";
        return false;
    }
    return true;
}

bool ReadSide(const CRowReader& in, bool& bSell, std::string& error)
{
    const std::string& side = in.Text(kSide);
    if (side == "0" || SameName(side, "buy")) {
        bSell = false;
        return true;
    }
    if (side == "1" || SameName(side, "sell")) {
        bSell = true;
        return true;
    }
    error = in.Where(kSide) + "\"" + side + "\" is neither 0 (buy) nor 1 (sell)";
    return false;
}

bool ReadTexts(const CRowReader& in, TradeValues& values, std::string& error)
{
    values.symbol = in.Text(kSymbol);
    values.category = in.Text(kCategory);
    values.country = in.Text(kCountry);
    std::string problem = SymbolProblem(values.symbol);
    EColumn column = kSymbol;
    if (problem.empty() && values.category != kCategoryUnfiled) {
        CBlotterSpace none; // a category the portfolio lacks is added when the row enters
        problem = CategoryNameProblem(none, values.category);
        column = kCategory;
    }
    if (problem.empty()) {
        problem = CountryProblem(values.country);
        column = kCountry;
    }
    if (!problem.empty())
        error = in.Where(column) + problem;
    return problem.empty();
}

bool ReadNumbers(const CRowReader& in, SImportRow& row, std::string& error)
{
    TradeValues& v = row.values;
    if (!in.Number(kQuantity, v.quantity, error) || !in.Number(kPrice, v.price, error) ||
        !in.Number(kFee, v.brokerFee, error))
        return false;
    // An exported buy holds what is left after its sales: 0 when they took everything.
    if (!(v.bSell ? v.quantity > 0 : v.quantity >= 0)) {
        error = in.Where(kQuantity) + kMsgBadQuantity;
        return false;
    }
    if (v.price < 0) {
        error = in.Where(kPrice) + kMsgBadPrice;
        return false;
    }
    if (v.brokerFee < 0) {
        error = in.Where(kFee) + kMsgBadFee;
        return false;
    }
    return in.Optional(kCurrentPrice, row.currentPrice, error) &&
           in.Optional(kDayChange, row.dayChange, error) &&
           in.Optional(kCostPrice, row.costPrice, error) &&
           in.Optional(kAuxValue1, row.auxValue1, error) &&
           in.Optional(kAuxValue2, row.auxValue2, error);
}

bool ReadDate(const CRowReader& in, const SHeader& header, SImportRow& row, std::string& error)
{
    EColumn column = row.values.bSell ? kSellDate : kBuyDate;
    if (!header.Has(column) || in.Text(column).empty())
        column = kDate;
    if (!header.Has(column)) {
        error = in.Where(kSide) + "a sale needs a \"sellDate\" (or \"date\") column";
        return false;
    }
    std::string why;
    if (in.Text(column).empty()) {
        error = in.Where(column) + "the date is empty";
        return false;
    }
    if (!ParseDateText(in.Text(column), row.date, why)) {
        error = in.Where(column) + why;
        return false;
    }
    return true;
}

bool ReadRow(const SHeader& header, const SCsvRecord& record, SImportRow& row, std::string& error)
{
    if (record.fields.size() != header.width) {
        error = "line " + std::to_string(record.line) + ": " +
                std::to_string(record.fields.size()) + " fields where the header has " +
                std::to_string(header.width);
        return false;
    }
    const CRowReader in(header, record);
    row.line = record.line;
    if (in.Text(kStatus) == "4") {
        row.bDeleted = true;
        return true;
    }
    return ReadSide(in, row.values.bSell, error) && ReadTexts(in, row.values, error) &&
           ReadNumbers(in, row, error) && ReadDate(in, header, row, error) &&
           in.Whole(kId, row.fileId, error) && in.Whole(kRefId, row.fileRefId, error);
}
} // namespace

SImportRows ReadImportRows(std::string_view csv)
{
    SImportRows result;
    SCsvResult records = ReadCsv(csv);
    if (!records.bOk) {
        result.error = "line " + std::to_string(records.errorLine) + ": " + records.error;
        return result;
    }
    if (records.records.empty()) {
        result.error = "the file is empty (it needs a header line)";
        return result;
    }
    SHeader header;
    if (!ReadHeader(records.records.front(), header, result.error))
        return result;
    result.bHasLinks = header.Has(kId) && header.Has(kRefId);
    for (std::size_t i = 1; i < records.records.size(); ++i) {
        SImportRow row;
        if (!ReadRow(header, records.records[i], row, result.error)) {
            result.rows.clear();
            return result;
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}
