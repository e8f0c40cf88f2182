#include "tests/model/TestDocuments.h"

#include <sstream>

CBlotterSpace MakeExampleDocument()
{
    CBlotterSpace doc;
    doc.m_strCategoryFilter = "All";
    doc.AddDefaultCategories();
    return doc;
}

std::string FromHex(const std::string& hex)
{
    std::istringstream in(hex);
    std::string bytes;
    std::string pair;
    while (in >> pair)
        bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
    return bytes;
}

std::string ExampleDocumentBytes()
{
    return FromHex("00 00 00 00 0a 00 00 00 03 41 6c 6c 0d 55 6e 69 "
                   "74 65 64 20 53 74 61 74 65 73 00 00 00 00 00 00 "
                   "00 00 9a 99 99 99 99 99 fd 3f 01 00 00 00 00 00 "
                   "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                   "00 05 00 00 00 4b 00 00 00 55 00 00 00 50 00 00 "
                   "00 50 00 00 00 50 00 00 00 5d 00 00 00 00 00 06 "
                   "00 03 41 6c 6c 07 55 6e 66 69 6c 65 64 06 34 30 "
                   "31 28 6b 29 0a 53 74 6f 63 6b 20 50 6c 61 6e 08 "
                   "42 75 73 69 6e 65 73 73 08 50 65 72 73 6f 6e 61 "
                   "6c");
}

TradeRecord MakeBuy(std::int32_t id, const char* symbol, double quantity, double price)
{
    TradeRecord trade = MakeEmptyTrade();
    trade.id = id;
    trade.recordIndex = id;
    trade.status = kStatusAdded;
    SetTradeSymbol(trade, symbol);
    SetTradeCategory(trade, "Unfiled");
    SetTradeCountry(trade, "United States");
    trade.quantity = quantity;
    trade.price = price;
    trade.costPrice = price;
    trade.buyDate = 900000000;
    return trade;
}
