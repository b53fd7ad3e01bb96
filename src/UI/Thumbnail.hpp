#pragma once
// Pictures and lines of the event windows, apart from the widgets.

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

namespace UI {

/// The size a picture of `image` takes in `frame`: as it is when it fits, otherwise
/// reduced by one factor for both sides (never enlarged), each side truncated.
QSize ThumbnailSize(const QSize& image, const QSize& frame);

/// Decodes the bytes (JPEG, PNG, BMP, GIF, TIFF) and reduces the picture to fit the
/// frame; a null image when the bytes are not a picture.
QImage ScaleThumbnail(const std::vector<char>& bytes, const QSize& frame);

/// The detail lines of a detail text: every line ended by a line feed, up to the first
/// empty line, at most 1000. Text after the last line feed is not a line.
std::vector<std::wstring> DetailLines(const std::wstring& text);

}  // namespace UI
