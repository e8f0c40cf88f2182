// Every field of every trade as JSON or CSV, dates as ISO 8601 local time, for spreadsheets,
// scripts and "tfport import". Texts are written as the model holds them (Windows-1252); the
// program's output stream puts them into the locale's encoding.
#pragma once

#include <iosfwd>

#include "model/BlotterSpace.h"

void WriteTradesJson(const CBlotterSpace& doc, std::ostream& out);
void WriteTradesCsv(const CBlotterSpace& doc, std::ostream& out);
