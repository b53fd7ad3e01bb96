// Thumbnail scaling, detail lines and the Save As filters.

#include "Norvane/UI/EventDlg.hpp"
#include "UI/Thumbnail.hpp"
#include "EventWindowFixture.hpp"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct SizeCase {
    QSize image, frame, expected;
};

TEST(Thumbnail, IsOnlyReducedAndKeepsItsProportions)
{
    const SizeCase cases[] = {
        {{1000, 500}, {400, 300}, {400, 200}},  // width decides
        {{200, 100}, {400, 300}, {200, 100}},   // fits: never enlarged
        {{400, 300}, {400, 300}, {400, 300}},   // exactly fits
        {{300, 900}, {400, 300}, {100, 300}},   // height decides
        {{401, 300}, {400, 300}, {400, 299}},   // truncated, not rounded
    };
    for (const auto& c : cases) EXPECT_EQ(UI::ThumbnailSize(c.image, c.frame), c.expected) << c.image.width();
}

TEST(Thumbnail, DecodesAndScalesRealPictureBytes)
{
    const std::vector<char> bytes = EventWindowsTest::PngBytes(QSize(1000, 500), Qt::blue);
    ASSERT_FALSE(bytes.empty());

    const QImage scaled = UI::ScaleThumbnail(bytes, QSize(400, 300));
    EXPECT_EQ(scaled.size(), QSize(400, 200));
    EXPECT_EQ(QColor(scaled.pixel(200, 100)), QColor(Qt::blue));

    const std::vector<char> notAPicture = {'<', 'h', 't', 'm', 'l', '>'};
    EXPECT_TRUE(UI::ScaleThumbnail(notAPicture, QSize(400, 300)).isNull());
    EXPECT_TRUE(UI::ScaleThumbnail({}, QSize(400, 300)).isNull());
}

TEST(DetailLines, EndAtTheFirstEmptyLineAndNeedALineFeed)
{
    using Lines = std::vector<std::wstring>;
    EXPECT_EQ(UI::DetailLines(L"B\nA\n"), (Lines{L"B", L"A"}));  // the list box sorts them
    EXPECT_EQ(UI::DetailLines(L"A\n\nB\n"), (Lines{L"A"}));
    EXPECT_EQ(UI::DetailLines(L"A\nB"), (Lines{L"A"}));
    EXPECT_EQ(UI::DetailLines(L""), Lines{});
    EXPECT_EQ(UI::DetailLines(L"\nA\n"), Lines{});

    std::wstring many;
    for (int i = 0; i < 1005; ++i) many += L"x\n";
    EXPECT_EQ(UI::DetailLines(many).size(), 1000u);
}

TEST(SaveAsFilter, NamesTheKnownKindsExactly)
{
    EXPECT_EQ(UI::SaveAs::FilterFor(L".pdf"), L"PDF (*.pdf)");
    EXPECT_EQ(UI::SaveAs::FilterFor(L".jpeg"), L"JPEG (*.jpeg)");
    EXPECT_EQ(UI::SaveAs::FilterFor(L".tif"), L"TIFF (*.tif)");
    EXPECT_EQ(UI::SaveAs::FilterFor(L".xml"), L"XML (*.xml)");
    EXPECT_EQ(UI::SaveAs::FilterFor(L".PDF"), L"Unknown Typeed File (*.*)");
    EXPECT_EQ(UI::SaveAs::FilterFor(L""), L"Unknown Typeed File (*.*)");
}

}  // namespace
