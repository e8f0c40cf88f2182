// The blotter's headings, in the window's grid and in the blotter tfport prints: the side
// heading over the symbols, then one heading per data column.
#pragma once

constexpr int kBlotterHeadingCount = 6;
constexpr const char* kBlotterSideHeading = "Security";
constexpr const char* kBlotterHeadings[kBlotterHeadingCount] = {
    "Last Trade", "Change", "Position", "Value", "Today's P/L", "Position P/L"};
