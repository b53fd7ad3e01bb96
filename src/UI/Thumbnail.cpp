#include "UI/Thumbnail.hpp"

namespace UI {

QSize ThumbnailSize(const QSize& image, const QSize& frame)
{
    const int w = image.width();
    const int h = image.height();
    if (w <= 0 || h <= 0) return QSize();
    if (frame.width() >= w && frame.height() >= h) return image;
    const double factor = std::min(double(frame.height()) / h, double(frame.width()) / w);
    return QSize(int(w * factor), int(h * factor));
}

QImage ScaleThumbnail(const std::vector<char>& bytes, const QSize& frame)
{
    QImage image;
    if (bytes.empty() || !image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size())))
        return QImage();
    const QSize target = ThumbnailSize(image.size(), frame);
    if (target.isEmpty()) return QImage();
    if (target == image.size()) return image;
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::vector<std::wstring> DetailLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::size_t position = 0;
    while (position < text.size() && lines.size() < 1000) {
        const std::size_t feed = text.find(L'\n', position);
        if (feed == std::wstring::npos || feed == position) break;
        lines.push_back(text.substr(position, feed - position));
        position = feed + 1;
    }
    return lines;
}

}  // namespace UI
