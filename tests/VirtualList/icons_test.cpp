// Every icon the program names exists and draws something.

#include "QtApplication.hpp"
#include "Norvane/UI/Icons.hpp"
#include "System/SystemError.hpp"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

int paintedPixels(const QIcon& icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) ++painted;
    return painted;
}

TEST(Icons, EveryNamedIconDraws)
{
    EnsureApplication();
    for (int id : {128, 139, 140, 141, 142, 208, 209}) {
        const QIcon icon = UI::Icon(id);
        EXPECT_FALSE(icon.isNull()) << id;
        for (int size : {16, 32}) EXPECT_GT(paintedPixels(icon, size), size * size / 8) << id << " at " << size;
    }
    // The tray's two states must look different.
    EXPECT_NE(UI::Icon(128).pixmap(32).toImage(), UI::Icon(141).pixmap(32).toImage());
    EXPECT_THROW(UI::Icon(999), SystemError);
}

}  // namespace
