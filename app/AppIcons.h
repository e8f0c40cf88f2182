// The program's three pictures, drawn in code so that every size is sharp: the program icon
// (128), the gain icon (133) and the loss icon (134). The gain and loss icons differ in
// colour and in shape (an arrow up on green, an arrow down on red), so they tell apart at
// tray size and for a reader who does not see the colours.
#pragma once

#include <QImage>

// Icon resources of the program.
constexpr int kProgramIcon = 128;
constexpr int kGainIcon = 133;
constexpr int kLossIcon = 134;

// The picture of icon nId at nSize x nSize pixels (transparent background); a null image
// for an unknown identifier. Needs no application object.
QImage DrawAppIcon(int nId, int nSize);
