#pragma once
// Dialog templates give their controls' rectangles in dialog units of the window's
// font; this turns them into pixels.

#include <QFont>
#include <QRect>

namespace UI {

/// `units` in dialog units of `font` to pixels: a horizontal unit is a quarter of the
/// font's average character width, a vertical unit an eighth of its character height.
QRect MapDialogUnits(const QFont& font, const QRect& units);

}  // namespace UI
