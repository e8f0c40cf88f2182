// Every field of every trade as JSON or CSV, dates as ISO 8601 local time, for spreadsheets,
// scripts and "tfport import". Texts are written as the model holds them (Windows-1252); the
// program's output stream puts them into the locale's encoding.
#pragma once

#include <iosfwd>
#include <string>

#include "model/BlotterSpace.h"

// A JSON string literal of a text, quotes included.
std::string JsonString(const std::string& text);
// A CSV field: as it is, or in double quotes when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

void WriteTradesJson(const CBlotterSpace& doc, std::ostream& out);
void WriteTradesCsv(const CBlotterSpace& doc, std::ostream& out);
