// Every field of every trade as JSON or CSV, texts decoded from Windows-1252 to UTF-8 and
// dates as ISO 8601 local time, for spreadsheets and scripts.
#pragma once

#include <ctime>
#include <iosfwd>
#include <string>

#include "model/BlotterSpace.h"

std::string ToUtf8(const std::string& windows1252);
// "2026-12-08T12:30:00-05:00"; empty for 0 (no date).
std::string IsoLocalTime(std::time_t when);
// A JSON string literal of a UTF-8 text, quotes included.
std::string JsonString(const std::string& utf8);
// A CSV field: as it is, or in double quotes when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

void WriteTradesJson(const CBlotterSpace& doc, std::ostream& out);
void WriteTradesCsv(const CBlotterSpace& doc, std::ostream& out);
