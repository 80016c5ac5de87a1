#include "dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kSetFont = 0x40;
constexpr std::uint32_t kPopupCaption = 0x80C00000; // WS_POPUP | WS_CAPTION

// Builds templates the way the resource compiler lays them out.
class Bytes {
  public:
    Bytes& Word(std::uint16_t value) {
        data.push_back(static_cast<std::uint8_t>(value));
        data.push_back(static_cast<std::uint8_t>(value >> 8));
        return *this;
    }
    Bytes& Dword(std::uint32_t value) { return Word(value & 0xFFFF).Word(value >> 16); }
    Bytes& Text(const std::string& text) {
        for (char c : text) {
            Word(static_cast<unsigned char>(c));
        }
        return Word(0);
    }
    Bytes& Align() {
        while (data.size() % 4 != 0) {
            data.push_back(0);
        }
        return *this;
    }
    std::vector<std::uint8_t> data;
};

// A classic template at x, y: no menu, default class, a caption, and with
// DS_SETFONT the point size and face; then one button.
std::vector<std::uint8_t> Classic(std::uint32_t style, std::int16_t x, std::int16_t y,
                                  const std::string& face) {
    Bytes b;
    b.Dword(style).Dword(0).Word(1);
    b.Word(x).Word(y).Word(217).Word(55);
    b.Word(0).Word(0).Text("A caption");
    if (style & kSetFont) {
        b.Word(8).Text(face);
    }
    b.Align();
    b.Dword(0x50010001).Dword(0).Word(178).Word(7).Word(32).Word(14).Word(1);
    b.Word(0xFFFF).Word(0x0080).Text("OK").Word(0);
    return b.data;
}

// An extended template with a class name instead of the default class.
std::vector<std::uint8_t> Extended(const std::string& face, std::uint16_t pointSize) {
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(0).Dword(0x00040000).Dword(kPopupCaption | kSetFont).Word(1);
    b.Word(0).Word(0).Word(292).Word(94);
    b.Word(0).Text("MyClass").Text("Tarvix");
    b.Word(pointSize).Word(700).Word(0x0101).Text(face); // weight, italic, charset
    b.Align();
    b.Dword(0).Dword(0).Dword(0x50010001).Word(90).Word(72).Word(50).Word(14).Dword(1);
    b.Word(0xFFFF).Word(0x0080).Text("&Button").Word(0);
    return b.data;
}

std::vector<std::uint16_t> Utf16(const std::string& text) {
    std::vector<std::uint16_t> units(text.begin(), text.end());
    units.push_back(0);
    return units;
}

std::vector<std::uint8_t> Rewrite(const std::vector<std::uint8_t>& data,
                                  const DialogTemplateLayout& layout, const std::string& face,
                                  std::uint16_t pointSize) {
    std::vector<std::uint16_t> units = Utf16(face);
    std::vector<std::uint8_t> out(RewrittenTemplateSize(data.size(), layout, units.data()), 0xCC);
    RewriteDialogFont(data.data(), data.size(), layout, units.data(), pointSize, out.data());
    return out;
}

std::vector<std::uint8_t> Tail(const std::vector<std::uint8_t>& data, std::size_t from) {
    return {data.begin() + static_cast<std::ptrdiff_t>(from), data.end()};
}

TEST(ReadDialogTemplate, ReadsAClassicTemplate) {
    auto data = Classic(kPopupCaption | kSetFont, 0, 0, "MS Sans Serif");
    DialogTemplateLayout layout;
    ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), layout));
    EXPECT_FALSE(layout.extended);
    EXPECT_EQ(layout.style, kPopupCaption | kSetFont);
    EXPECT_TRUE(layout.hasFont);
    EXPECT_EQ(layout.pointSize, 8);
    EXPECT_EQ(layout.faceAt, layout.pointSizeAt + 2);
    EXPECT_EQ(layout.controlsAt % 4, 0u);
    EXPECT_EQ(data[layout.controlsAt + 8], 178); // the button's x
    EXPECT_TRUE(DialogFaceIs(data.data(), layout, "MS Sans Serif"));
    EXPECT_FALSE(DialogFaceIs(data.data(), layout, "MS Sans"));
    EXPECT_FALSE(DialogFaceIs(data.data(), layout, "MS Sans Serif Bold"));
    EXPECT_FALSE(DialogFaceIs(data.data(), layout, "ms sans serif"));
}

TEST(ReadDialogTemplate, ReadsAnExtendedTemplateWithAClassName) {
    auto data = Extended("Helv", 8);
    DialogTemplateLayout layout;
    ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), layout));
    EXPECT_TRUE(layout.extended);
    EXPECT_EQ(layout.style, kPopupCaption | kSetFont);
    EXPECT_EQ(layout.faceAt, layout.pointSizeAt + 6);
    EXPECT_TRUE(DialogFaceIs(data.data(), layout, "Helv"));
    EXPECT_EQ(data[layout.controlsAt + 12], 90); // the button's x
}

TEST(ReadDialogTemplate, ReadsPositionAndNoFontWithoutSetFont) {
    auto data = Classic(kPopupCaption, -5, 12, "");
    DialogTemplateLayout layout;
    ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), layout));
    EXPECT_EQ(layout.x, -5);
    EXPECT_EQ(layout.y, 12);
    EXPECT_FALSE(layout.hasFont);
    EXPECT_FALSE(DialogFaceIs(data.data(), layout, ""));
}

TEST(ReadDialogTemplate, RejectsEveryTemplateCutShortBeforeItsControls) {
    for (auto data :
         {Classic(kPopupCaption | kSetFont, 0, 0, "MS Sans Serif"), Extended("MS Sans Serif", 8)}) {
        DialogTemplateLayout full;
        ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), full));
        for (std::size_t size = 0; size < full.controlsAt; ++size) {
            std::vector<std::uint8_t> cut(data.begin(), data.begin() + size);
            DialogTemplateLayout layout;
            EXPECT_FALSE(ReadDialogTemplate(cut.data(), cut.size(), layout)) << size;
        }
    }
}

TEST(RewriteDialogFont, ALongerFaceMovesTheControlsToTheNextDwordBoundary) {
    auto data = Classic(kPopupCaption | kSetFont, 0, 0, "Helv");
    DialogTemplateLayout layout;
    ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), layout));
    auto out = Rewrite(data, layout, "MS Shell Dlg", 9);

    DialogTemplateLayout rewritten;
    ASSERT_TRUE(ReadDialogTemplate(out.data(), out.size(), rewritten));
    EXPECT_TRUE(DialogFaceIs(out.data(), rewritten, "MS Shell Dlg"));
    EXPECT_EQ(rewritten.pointSize, 9);
    EXPECT_EQ(rewritten.controlsAt % 4, 0u);
    EXPECT_EQ(Tail(out, rewritten.controlsAt), Tail(data, layout.controlsAt));
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + layout.pointSizeAt),
              std::vector<std::uint8_t>(data.begin(), data.begin() + layout.pointSizeAt));
}

TEST(RewriteDialogFont, AShorterFaceKeepsTheExtendedFontFields) {
    auto data = Extended("MS Sans Serif", 10);
    DialogTemplateLayout layout;
    ASSERT_TRUE(ReadDialogTemplate(data.data(), data.size(), layout));
    auto out = Rewrite(data, layout, "System", 10);

    DialogTemplateLayout rewritten;
    ASSERT_TRUE(ReadDialogTemplate(out.data(), out.size(), rewritten));
    EXPECT_TRUE(DialogFaceIs(out.data(), rewritten, "System"));
    EXPECT_EQ(rewritten.pointSize, 10);
    EXPECT_EQ(out[rewritten.pointSizeAt + 2], 700 & 0xFF); // weight
    EXPECT_EQ(out[rewritten.pointSizeAt + 4], 1);          // italic
    EXPECT_EQ(out[rewritten.pointSizeAt + 5], 1);          // character set
    EXPECT_EQ(Tail(out, rewritten.controlsAt), Tail(data, layout.controlsAt));
    EXPECT_LT(out.size(), data.size());
}

} // namespace
