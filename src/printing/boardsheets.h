#pragma once
// The board's month on A4 portrait: the schools' bands of the month's hours beyond regular
// hours as stacked bars, the schools left out, then the teachers to be told. Qt Gui.

#include "board/board.h"

#include <QByteArray>

namespace velmora {

// The PDF's bytes, for saveBoard().
QByteArray boardPdfBytes(const BoardReport& board);

} // namespace velmora
