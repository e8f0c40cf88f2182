// Documents and trades that several model tests start from.
#pragma once

#include <string>

#include "model/BlotterSpace.h"

// The defaults, filter "All" and the six default categories: the 145-byte example file.
CBlotterSpace MakeExampleDocument();
// The 145 bytes that document is written as.
std::string ExampleDocumentBytes();

TradeRecord MakeBuy(std::int32_t id, const char* symbol, double quantity, double price);

// Bytes from a hex dump ("00 0a ff").
std::string FromHex(const std::string& hex);
