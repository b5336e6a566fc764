// How a figure beyond the tolerance band shows, the same in every grid:
// over plan a warm orange, under plan a blue (two hues that colour-blind
// users tell apart and that differ in greyscale by the symbol beside them),
// with ▲ for over and ▼ for under. Side 0 (inside the band): nothing.
#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

namespace results_form {

// The cell's background for a side of engine::ToleranceSide; invalid for 0.
inline QVariant ToleranceBackground(int side) {
  if (side > 0) return QColor(255, 196, 150);
  if (side < 0) return QColor(166, 206, 250);
  return {};
}
// Dark text on both backgrounds.
inline QVariant ToleranceForeground(int side) { return side != 0 ? QVariant(QColor(20, 20, 20)) : QVariant(); }
inline QString ToleranceSymbol(int side) {
  if (side > 0) return QString::fromUtf8("▲");
  if (side < 0) return QString::fromUtf8("▼");
  return {};
}

}  // namespace results_form
