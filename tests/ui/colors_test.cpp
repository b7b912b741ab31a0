// The colour model: slot overrides and their derived colours, the hex form, the outline rule and
// ui_colors.ini.
#include <gtest/gtest.h>

#include "support/fixture.h"
#include "ui/UiColors.h"

namespace {

constexpr COLORREF Hex(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void ClearCustom() {
    for (int i = 0; i < kColorSlotCount; ++i) g_customColorSet[i] = false;
    g_lastColorPreset = -1;
}

// Builds the palette as start-up and every theme switch do.
void Build(bool dark) {
    ApplyThemePalette(dark);
    ApplyCustomColorOverrides();
}

void Customise(int slot, COLORREF c) {
    g_customColors[slot] = c;
    g_customColorSet[slot] = true;
}

}  // namespace

TEST(UiColors, BasesAndSlots) {
    ClearCustom();
    Build(false);
    EXPECT_EQ(Hex(0xF1F4F8), g_uiPalette.surface);
    EXPECT_EQ(Hex(0xE8EDF3), g_uiPalette.toolbar);
    EXPECT_EQ(Hex(0x1C1F2B), GetBasePalette(true).hoverBg);  // last entry of the dark base
    Build(true);
    EXPECT_EQ(Hex(0x12141C), g_uiPalette.surface);
    EXPECT_EQ(Hex(0x42B883), GetUiColor(8));
    EXPECT_EQ(RGB(0, 0, 0), GetUiColor(10));
    EXPECT_EQ(RGB(0, 0, 0), GetUiColor(-1));
    EXPECT_EQ(std::wstring(L"border"), g_colorSlots[9].key);
    EXPECT_STREQ(L"Carbon Gold", g_colorPresets[9].nameEnglish);
    EXPECT_EQ(Hex(0xD4B058), g_colorPresets[9].colors[8]);
}

TEST(UiColors, CustomAccentAndBorderDeriveByTheSurface) {
    ClearCustom();
    const COLORREF accent = Hex(0x42B883);
    Customise(8, accent);
    Build(true);  // surface #12141C is dark
    EXPECT_EQ(accent, g_uiPalette.accent);
    EXPECT_EQ(RGB(0x42 * 82 / 100, 0xB8 * 82 / 100, 0x83 * 82 / 100), g_uiPalette.accentPressed);
    EXPECT_EQ(RGB((0x42 * 28 + 0x12 * 72) / 100, (0xB8 * 28 + 0x14 * 72) / 100, (0x83 * 28 + 0x1C * 72) / 100),
              g_uiPalette.accentTint);
    EXPECT_EQ(accent, g_uiPalette.scrollThumbHot);
    Build(false);  // surface #F1F4F8 is light
    EXPECT_EQ(RGB(0x42 * 74 / 100, 0xB8 * 74 / 100, 0x83 * 74 / 100), g_uiPalette.accentPressed);
    EXPECT_EQ(RGB((0x42 * 12 + 0xF1 * 88) / 100, (0xB8 * 12 + 0xF4 * 88) / 100, (0x83 * 12 + 0xF8 * 88) / 100),
              g_uiPalette.accentTint);

    // A dark custom surface on the light base changes the weights of the border rule, nothing else.
    ClearCustom();
    Customise(0, Hex(0x101010));
    Customise(9, Hex(0x808080));
    Build(false);
    EXPECT_EQ(RGB((0x80 * 70 + 0x10 * 30) / 100, (0x80 * 70 + 0x10 * 30) / 100, (0x80 * 70 + 0x10 * 30) / 100),
              g_uiPalette.divider);
    EXPECT_EQ(GetBasePalette(false).accentPressed, g_uiPalette.accentPressed);
    EXPECT_EQ(GetBasePalette(false).controlBg, g_uiPalette.controlBg);
    Customise(2, Hex(0x202020));
    Build(false);
    EXPECT_EQ(Hex(0x202020), g_uiPalette.controlBg);
    ClearCustom();
}

TEST(UiColors, HexTextForms) {
    struct Case { const wchar_t* text; bool ok; COLORREF color; };
    const Case cases[] = {
        {L" #42b883 \r\n", true, Hex(0x42B883)}, {L"42B883", true, Hex(0x42B883)}, {L"\t#000000", true, 0},
        {L"#42B88", false, 0}, {L"#42B8830", false, 0}, {L"##42B883", false, 0}, {L"#42G883", false, 0},
        {L"", false, 0}, {L"   ", false, 0}, {L"#", false, 0},
    };
    for (const Case& c : cases) {
        COLORREF out = 12345;
        EXPECT_EQ(c.ok, ParseHexColor(c.text, out)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.color, out) << c.text;
        }
    }
    EXPECT_EQ(L"#42B883", FormatHexColor(Hex(0x42B883)));
    EXPECT_EQ(L"#0A0B0C", FormatHexColor(Hex(0x0A0B0C)));
}

TEST(UiColors, OutlineStaysVisibleAgainstFillAndBackground) {
    // A candidate that differs enough from both is kept.
    EXPECT_EQ(Hex(0x000000), PickContrastOutlineColor(Hex(0xFFFFFF), Hex(0x000000), Hex(0xFFFFFF)));
    // Too close to a light fill: the fill darkened to 68 %.
    EXPECT_EQ(RGB(0xFF * 68 / 100, 0xFF * 68 / 100, 0xFF * 68 / 100),
              PickContrastOutlineColor(Hex(0xFFFFFF), Hex(0xF0F0F0), Hex(0x404040)));
    // Too close to a dark fill: the fill lightened.
    EXPECT_EQ(RGB((12240 + 0x20 * 52) / 100, (12240 + 0x20 * 52) / 100, (12240 + 0x20 * 52) / 100),
              PickContrastOutlineColor(Hex(0x202020), Hex(0x252525), Hex(0x000000)));
    // Every pair of the rule leaves at least 18 luminance steps from the background.
    for (COLORREF bg : {Hex(0x000000), Hex(0x7F7F7F), Hex(0x969696), Hex(0xFFFFFF), Hex(0x12141C)}) {
        for (COLORREF fill : {Hex(0x000000), Hex(0x959595), Hex(0xFFFFFF), Hex(0x42B883)}) {
            COLORREF out = PickContrastOutlineColor(fill, fill, bg);
            EXPECT_GE(std::abs(ColorLuminance(out) - ColorLuminance(bg)), 18)
                << std::hex << fill << " on " << bg;
        }
    }
}

TEST(UiColors, FileReadWriteAndReset) {
    const std::wstring dir = testfx::MakeScratchDir(L"ui_colors");
    const std::wstring path = dir + L"\\ui_colors.ini";
    ASSERT_TRUE(testfx::WriteFileBytes(
        path, "\xEF\xBB\xBF# comment=FFFFFF\r\nACCENT = #42b883\r\nborder=12345\r\nsurface=111111\r\n"
              "surface=222222\r\nnosuch=123456\r\ntext\r\neditWell=##FFFFFF\r\n" +
                  std::string(5000, 'x') + "=000000\r\n"));
    ClearCustom();
    LoadUiColorsFrom(path);
    EXPECT_TRUE(g_customColorSet[8]);
    EXPECT_EQ(Hex(0x42B883), g_customColors[8]);
    EXPECT_FALSE(g_customColorSet[9]);  // five digits
    EXPECT_TRUE(g_customColorSet[0]);
    EXPECT_EQ(Hex(0x222222), g_customColors[0]);  // the later line wins
    EXPECT_FALSE(g_customColorSet[2]);
    int set = 0;
    for (bool b : g_customColorSet) set += b ? 1 : 0;
    EXPECT_EQ(2, set);

    ASSERT_TRUE(SaveUiColorsTo(path));
    const std::string saved = testfx::ReadFileBytes(path);
    EXPECT_EQ(0u, saved.find("\xEF\xBB\xBF# Custom UI colors (hex RRGGBB)."));
    EXPECT_NE(std::string::npos, saved.find("\r\nsurface=222222\r\naccent=42B883\r\n"));
    ClearCustom();
    LoadUiColorsFrom(path);
    EXPECT_EQ(Hex(0x42B883), g_customColors[8]);
    EXPECT_EQ(Hex(0x222222), g_customColors[0]);

    // A missing file customises nothing.
    LoadUiColorsFrom(dir + L"\\missing.ini");
    for (bool b : g_customColorSet) EXPECT_FALSE(b);
    ClearCustom();
}
