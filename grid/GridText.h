// Cell texts are 8-bit Windows-1252 strings; the painter and the find dialog speak QString.
// These two turn one into the other at the edge of the grid and nowhere else.
#pragma once

#include <string>

#include <QString>

namespace GridText {

QString ToQString(const std::string& text);
// Characters that Windows-1252 cannot hold become '?'.
std::string FromQString(const QString& text);

} // namespace GridText
