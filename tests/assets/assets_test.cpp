// Tests of the game's media as the runtime reads them (sizes, transparent
// areas, fonts, sounds, identical output on every run) and of the media
// generator's checks of its text sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gfx/BitmapReader.h"
#include "sound/WavReader.h"
#include "tests/support/TestFolder.h"
#include "tools/mediagen/Fonts.h"
#include "tools/mediagen/Icons.h"
#include "tools/mediagen/Png.h"
#include "tools/mediagen/Pictures.h"
#include "tools/mediagen/Sounds.h"
#include "tools/mediagen/Synth.h"

namespace fs = std::filesystem;

namespace {

const fs::path kMediaDir = KIP_MEDIA_DIR;
constexpr uint32_t kKey = 0x8000FF;  // red 255, green 0, blue 128 as 0x00BBGGRR
constexpr uint32_t kFontBlack = 0;

struct Size {
    int width, height;
};

// Every picture the game loads and the size the drawing rules need.
const std::map<std::string, Size>& expectedPictures() {
    static const std::map<std::string, Size> table{
        {"kip", {32, 32}},          {"kipl", {32, 32}},
        {"kipr", {32, 32}},         {"kipo", {32, 32}},
        {"kipo_a", {32, 32}},       {"kipo_b", {32, 32}},
        {"kipu", {32, 32}},         {"kipu_a", {32, 32}},
        {"kipu_b", {32, 32}},       {"shot", {4, 4}},
        {"tile", {32, 32}},         {"leiter", {32, 32}},
        {"kipl_a", {32, 32}},       {"kipl_b", {32, 32}},
        {"kipr_a", {32, 32}},       {"kipr_b", {32, 32}},
        {"kip_a", {32, 32}},        {"kip_b", {32, 32}},
        {"randlinks", {32, 32}},    {"randlinksunten", {32, 32}},
        {"randrechts", {32, 32}},   {"randrechtsunten", {32, 32}},
        {"randoben", {32, 32}},     {"stern1", {5, 5}},
        {"bigstar", {48, 48}},      {"alien", {32, 32}},
        {"alien1", {32, 32}},       {"alien2", {32, 32}},
        {"alien3", {32, 32}},       {"alien4", {32, 32}},
        {"kip_start", {640, 152}},  {"start_leertaste", {150, 38}},
        {"zyklopi", {32, 32}},      {"zyklopi_a", {32, 32}},
        {"zyklopi_b", {32, 32}},    {"zyklopil", {32, 32}},
        {"zyklopi_al", {32, 32}},   {"zyklopi_bl", {32, 32}},
        {"shot1", {4, 4}},          {"viewleiste", {640, 32}},
        {"kipperfekt", {128, 200}}, {"kipperfekt_spiegel", {128, 200}},
        {"radar", {106, 88}},       {"kipradar", {3, 3}},
        {"gegnerradar", {3, 3}},    {"steuer", {440, 104}}};
    return table;
}

const std::vector<std::string> kWalkers{
    "kip",    "kipl",    "kipr",      "kipo",      "kipo_a",   "kipo_b",     "kipu",
    "kipu_a", "kipu_b",  "kipl_a",    "kipl_b",    "kipr_a",   "kipr_b",     "kip_a",
    "kip_b",  "zyklopi", "zyklopi_a", "zyklopi_b", "zyklopil", "zyklopi_al", "zyklopi_bl"};
const std::vector<std::string> kAliens{"alien", "alien1", "alien2", "alien3", "alien4"};

BitmapImage loadPicture(const std::string& name) {
    BitmapImage image;
    std::string path = (kMediaDir / (name + ".bmp")).string();
    EXPECT_TRUE(ReadBitmapFromFile(path.c_str(), image)) << path;
    return image;
}

int countKeyed(const BitmapImage& image, int x, int y, int width, int height, uint32_t key = kKey) {
    int keyed = 0;
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column)
            keyed += image.ColourAt(column, row) == key;
    }
    return keyed;
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    std::string first = ReadFileText(a.string());
    return !first.empty() && first == ReadFileText(b.string());
}

}  // namespace

// ---- pictures as the runtime reads them

TEST(Pictures, EveryPictureHasTheSizeItWasMadeFor) {
    for (const auto& [name, size] : expectedPictures()) {
        BitmapImage image = loadPicture(name);
        EXPECT_EQ(image.width, size.width) << name;
        EXPECT_EQ(image.height, size.height) << name;
    }
}

TEST(Pictures, OutputFolderHoldsExactlyTheGameMedia) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(kMediaDir)) {
        std::string ext = entry.path().extension().string();
        if (ext == ".bmp" || ext == ".wav") found.insert(entry.path().filename().string());
    }
    std::set<std::string> expected{"fontklein.bmp",   "Smalfont.bmp",        "contact_sheet.bmp",
                                   "bullfrog.wav",    "arrow.wav",           "gunshot1.wav",
                                   "arrow_leise.wav", "gunshot1_gegner.wav", "kip.wav"};
    for (const auto& [name, size] : expectedPictures()) expected.insert(name + ".bmp");
    EXPECT_EQ(expected.size(), 46u + 9u);
    for (const std::string& name : expected)
        EXPECT_TRUE(found.count(name)) << name << " is missing";
}

TEST(Pictures, BothBitDepthsAreWritten) {
    int paletted = 0, trueColour = 0;
    for (const auto& [name, size] : expectedPictures()) {
        BitmapImage image = loadPicture(name);
        paletted += image.bytesPerPixel == 1;
        trueColour += image.bytesPerPixel == 3;
    }
    EXPECT_GE(paletted, 5);
    EXPECT_GE(trueColour, 5);
}

// Walkers stand on row 25: the level puts the ground of their cell 26 rows
// below the top of the picture, so the six rows beneath must stay clear.
TEST(Pictures, WalkersStandOnRow25WithClearRowsBelow) {
    for (const std::string& name : kWalkers) {
        BitmapImage image = loadPicture(name);
        EXPECT_EQ(countKeyed(image, 0, 26, 32, 6), 32 * 6) << name;
        EXPECT_LT(countKeyed(image, 0, 25, 32, 1), 32) << name << " has nothing on row 25";
        EXPECT_LT(countKeyed(image, 0, 0, 32, 3), 32 * 3) << name << " does not reach the top";
        EXPECT_EQ(image.ColourAt(0, 0), kKey) << name;
    }
}

// The aliens' touch box is 29 x 22 from (3, 5): the body fills much of it
// and the picture keeps transparent margins around the body.
TEST(Pictures, AliensFillTheirTouchBox) {
    for (const std::string& name : kAliens) {
        BitmapImage image = loadPicture(name);
        int opaqueInBox = 29 * 22 - countKeyed(image, 3, 5, 29, 22);
        EXPECT_GT(opaqueInBox, 29 * 22 / 2) << name;
        EXPECT_EQ(countKeyed(image, 0, 0, 3, 32), 3 * 32) << name;
        EXPECT_EQ(countKeyed(image, 0, 28, 32, 4), 32 * 4) << name;
    }
}

TEST(Pictures, AlienAnimationPicturesDiffer) {
    for (std::size_t i = 0; i + 1 < kAliens.size(); ++i) {
        EXPECT_NE(loadPicture(kAliens[i]).pixels, loadPicture(kAliens[i + 1]).pixels) << kAliens[i];
    }
}

TEST(Pictures, PlatformsAndWallsHaveSolidFacesAndLaddersAreOpen) {
    BitmapImage tile = loadPicture("tile");
    EXPECT_EQ(countKeyed(tile, 0, 0, 32, 12), 0) << "the deck plate is solid";
    EXPECT_GT(countKeyed(tile, 0, 12, 32, 20), 0) << "the girder below is open";
    BitmapImage ladder = loadPicture("leiter");
    EXPECT_EQ(countKeyed(ladder, 6, 0, 3, 32), 0) << "left rail";
    EXPECT_EQ(countKeyed(ladder, 23, 0, 3, 32), 0) << "right rail";
    EXPECT_EQ(countKeyed(ladder, 9, 5, 14, 5), 14 * 5) << "open between rungs";
    BitmapImage wall = loadPicture("randlinks");
    EXPECT_EQ(countKeyed(wall, 0, 0, 26, 32), 0);
    EXPECT_EQ(countKeyed(wall, 26, 0, 6, 32), 6 * 32) << "the level side stays open";
}

TEST(Pictures, ScreenPanelsAreFullyOpaque) {
    for (const char* name : {"viewleiste", "radar", "steuer"}) {
        BitmapImage image = loadPicture(name);
        EXPECT_EQ(countKeyed(image, 0, 0, image.width, image.height), 0) << name;
    }
}

TEST(Pictures, OverlayPicturesAreMostlyTransparent) {
    for (const char* name : {"kip_start", "start_leertaste", "bigstar", "stern1"}) {
        BitmapImage image = loadPicture(name);
        int keyed = countKeyed(image, 0, 0, image.width, image.height);
        EXPECT_GT(keyed, image.width * image.height / 3) << name;
        EXPECT_LT(keyed, image.width * image.height) << name;
    }
}

// The start screen draws the big star at (400, 0) and the title over it from (0, 0):
// the title leaves the star's square clear.
TEST(Pictures, TitleLeavesTheBigStarClear) {
    BitmapImage title = loadPicture("kip_start");
    EXPECT_EQ(countKeyed(title, 400, 0, 48, 48), 48 * 48);
}

TEST(Pictures, MirrorPicturesAreExactMirrors) {
    const std::vector<std::pair<std::string, std::string>> pairs{
        {"kipl", "kipr"},
        {"kipl_a", "kipr_a"},
        {"kipl_b", "kipr_b"},
        {"zyklopi", "zyklopil"},
        {"zyklopi_a", "zyklopi_al"},
        {"zyklopi_b", "zyklopi_bl"},
        {"kipperfekt", "kipperfekt_spiegel"},
        {"randlinks", "randrechts"},
        {"kipo_a", "kipo_b"}};
    for (const auto& [left, right] : pairs) {
        BitmapImage a = loadPicture(left), b = loadPicture(right);
        ASSERT_EQ(a.width, b.width);
        bool mirrored = true;
        for (int y = 0; y < a.height; ++y) {
            for (int x = 0; x < a.width; ++x)
                mirrored = mirrored && a.ColourAt(x, y) == b.ColourAt(a.width - 1 - x, y);
        }
        EXPECT_TRUE(mirrored) << left << " / " << right;
    }
}

// ---- fonts

struct FontCase {
    const char* name;
    int width, height;
};

class Fonts : public ::testing::TestWithParam<FontCase> {};

TEST_P(Fonts, EveryPrintableCharacterHasItsOwnVisibleGlyph) {
    BitmapImage font = loadPicture(GetParam().name);
    ASSERT_EQ(font.width, GetParam().width);
    ASSERT_EQ(font.height, GetParam().height);
    int cellWidth = font.width / 16, cellHeight = font.height / 8;
    std::map<std::vector<uint32_t>, int> seen;
    for (int code = 32; code < 127; ++code) {
        int cellX = (code % 16) * cellWidth, cellY = (code / 16) * cellHeight;
        int blank = countKeyed(font, cellX, cellY, cellWidth, cellHeight, kFontBlack);
        if (code == ' ') {
            EXPECT_EQ(blank, cellWidth * cellHeight) << "space is empty";
            continue;
        }
        EXPECT_LT(blank, cellWidth * cellHeight)
            << "no ink for '" << static_cast<char>(code) << "'";
        std::vector<uint32_t> cell;
        for (int y = 0; y < cellHeight; ++y) {
            for (int x = 0; x < cellWidth; ++x) cell.push_back(font.ColourAt(cellX + x, cellY + y));
        }
        auto [it, fresh] = seen.emplace(cell, code);
        EXPECT_TRUE(fresh) << "'" << static_cast<char>(code) << "' looks like '"
                           << static_cast<char>(it->second) << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(GameFonts, Fonts,
                         ::testing::Values(FontCase{"fontklein", 256, 128},
                                           FontCase{"Smalfont", 128, 64}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FontLayout, LongestGameTextFitsTheScreenFromX20) {
    BitmapImage font = loadPicture("fontklein");
    std::string longest = "Du hast alle deine Leben verloren !";
    EXPECT_LE(20 + static_cast<int>(longest.size()) * font.width / 16, 640);
}

// ---- sounds

struct SoundCase {
    const char* name;
    double shortest, longest;  // seconds
};

class Sounds : public ::testing::TestWithParam<SoundCase> {};

TEST_P(Sounds, MonoPcmAt22050WithinItsLengthAndUnclipped) {
    std::vector<uint8_t> bytes;
    WavSound sound;
    std::string reason;
    std::string path = (kMediaDir / (std::string(GetParam().name) + ".wav")).string();
    ASSERT_TRUE(ReadWavFile(path.c_str(), bytes, sound, &reason)) << path << ": " << reason;
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.sampleRate, 22050u);
    ASSERT_TRUE(sound.bitsPerSample == 8 || sound.bitsPerSample == 16);
    std::size_t count = sound.sampleBytes / static_cast<std::size_t>(sound.blockAlign);
    double seconds = static_cast<double>(count) / sound.sampleRate;
    EXPECT_GE(seconds, GetParam().shortest);
    EXPECT_LE(seconds, GetParam().longest);
    auto sample = [&](std::size_t i) {
        if (sound.bitsPerSample == 8) return (sound.samples[i] - 128) / 128.0;
        return static_cast<int16_t>(sound.samples[2 * i] | (sound.samples[2 * i + 1] << 8)) /
               32768.0;
    };
    double peak = 0.0;
    for (std::size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(sample(i)));
    EXPECT_GT(peak, 0.1) << "audible";
    EXPECT_LT(peak, 0.99) << "not clipped";
    // Silent at both ends: no click when it starts, ends or is started again.
    EXPECT_LT(std::abs(sample(0)), 0.02);
    EXPECT_LT(std::abs(sample(count - 1)), 0.02);
}

INSTANTIATE_TEST_SUITE_P(
    GameSounds, Sounds,
    ::testing::Values(SoundCase{"bullfrog", 0.2, 1.0}, SoundCase{"arrow", 0.1, 0.6},
                      SoundCase{"gunshot1", 0.05, 0.5}, SoundCase{"arrow_leise", 0.05, 0.4},
                      SoundCase{"gunshot1_gegner", 0.1, 0.6}, SoundCase{"kip", 20.0, 40.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SoundFiles, MusicStaysSmall) {
    EXPECT_LE(fs::file_size(kMediaDir / "kip.wav"), 2u * 1024 * 1024);
}

// ---- the generator

TEST(Generator, TwoRunsWriteIdenticalFiles) {
    TestFolder folder("kip_mediagen_test");
    ASSERT_TRUE(folder.Made());
    fs::path base = folder.Path();
    for (const char* run : {"first", "second"}) {
        std::string command = std::string(MEDIAGEN_PATH) + " " + KIP_ASSETS_DIR + " " +
                              (base / run).string() + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(base / "first")) {
        fs::path name = entry.path().filename();
        EXPECT_TRUE(sameBytes(entry.path(), base / "second" / name)) << name;
        EXPECT_TRUE(sameBytes(entry.path(), kMediaDir / name))
            << name << " differs from the build's copy";
        ++compared;
    }
    EXPECT_EQ(compared, 46 + 2 + 6 + 1);
}

namespace {

mediagen::GlyphSet testGlyphs() {
    mediagen::SourceText text = mediagen::SourceText::fromString("test.glyphs",
                                                                 "char A\n"
                                                                 "..XXX...\n.X...X..\n.X...X..\n"
                                                                 ".XXXXX..\n.X...X..\n.X...X..\n"
                                                                 ".X...X..\n........\n");
    return mediagen::GlyphSet::parse(text);
}

mediagen::Picture buildPicture(const std::string& text) {
    static const mediagen::GlyphSet glyphs = testGlyphs();
    mediagen::PictureLibrary library(KIP_ASSETS_DIR "/pictures", glyphs);
    mediagen::SourceText source = mediagen::SourceText::fromString("test.pic", text);
    return library.build(source);
}

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const mediagen::SourceError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(PictureSource, GridsLegendAndDrawingStatements) {
    mediagen::Picture picture = buildPicture(
        "size 6 4\ndepth 8\ncolour R 255 0 0\ncolour G 0 255 0\n"
        "grid 0 0\nRR.\n R\nend\nfill 4 2 2 2 G\nreplace 0 0 6 4 G R\n");
    EXPECT_EQ(picture.bitsPerPixel, 8);
    EXPECT_EQ(picture.image.at(0, 0), (mediagen::Colour{255, 0, 0}));
    EXPECT_EQ(picture.image.at(2, 0), mediagen::kKeyColour);
    EXPECT_EQ(picture.image.at(0, 1), mediagen::kKeyColour) << "a blank keeps what is beneath";
    EXPECT_EQ(picture.image.at(1, 1), (mediagen::Colour{255, 0, 0}));
    EXPECT_EQ(picture.image.at(5, 3), (mediagen::Colour{255, 0, 0})) << "replaced";
}

TEST(PictureSource, MirrorOfAnotherPicture) {
    mediagen::Picture left = buildPicture("copy shot\n");
    mediagen::Picture mirrored = buildPicture("mirror randlinks\n");
    mediagen::Picture original = buildPicture("copy randlinks\n");
    EXPECT_EQ(left.image.width(), 4);
    EXPECT_EQ(mirrored.image.at(0, 10), original.image.at(31, 10));
    EXPECT_EQ(mirrored.image.at(31, 10), original.image.at(0, 10));
}

TEST(PictureSource, FaultsNameTheFileAndLine) {
    EXPECT_EQ(errorOf([] {
                  buildPicture("size 4 4\ncolour R 1 2 3\ngrid 0 0\nRQ\nend\n");
              }).rfind("test.pic:4:", 0),
              0u);
    EXPECT_NE(errorOf([] { buildPicture("size 4 4\ngrid 0 0\n..\n"); }).find("no 'end'"),
              std::string::npos);
    EXPECT_NE(errorOf([] { buildPicture("fill 0 0 1 1 .\n"); }).find("test.pic:1:"),
              std::string::npos);
    EXPECT_NE(errorOf([] { buildPicture("size 0 4\n"); }).find("test.pic:1:"), std::string::npos);
    EXPECT_NE(errorOf([] { buildPicture("size 4 4\ncolour R 256 0 0\n"); }).find("test.pic:2:"),
              std::string::npos);
    EXPECT_NE(errorOf([] { buildPicture("size 4 4\nsparkle 1\n"); }).find("unknown statement"),
              std::string::npos);
    EXPECT_NE(errorOf([] {
                  buildPicture("size 4 4\ncolour W 9 9 9\ntext 0 0 1 W \"open\n");
              }).find("not closed"),
              std::string::npos);
    EXPECT_NE(errorOf([] {
                  buildPicture("size 9 9\ncolour W 9 9 9\ntext 0 0 1 W \"B\"\n");
              }).find("no glyph"),
              std::string::npos);
    EXPECT_NE(errorOf([] { buildPicture("depth 8\n"); }).find("no 'size'"), std::string::npos);
    EXPECT_NE(errorOf([] { buildPicture("copy no_such_picture\n"); }), "");
}

TEST(FontSource, BlackInkAndOversizedGlyphsAreRefused) {
    auto parse = [](const std::string& text) {
        mediagen::SourceText source = mediagen::SourceText::fromString("test.font", text);
        return mediagen::parseFontRecipe(source);
    };
    EXPECT_NE(errorOf([&] { parse("glyphs g\nink 0 0 0\n"); }).find("black is transparent"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { parse("glyphs g\ncell 8 8\nscale 2\n"); }).find("does not fit"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { parse("cell 8 8\n"); }).find("no 'glyphs'"), std::string::npos);
    mediagen::FontRecipe recipe = parse("glyphs g\ncell 16 16\nscale 2\nink 200 200 200\n");
    mediagen::Picture font = mediagen::buildFont(recipe, testGlyphs());
    EXPECT_EQ(font.image.width(), 256);
    EXPECT_EQ(font.image.at(1 * 16 + 0, 4 * 16 + 0), mediagen::kBlack)
        << "glyph column 0 of 'A' is empty";
    EXPECT_EQ(font.image.at(1 * 16 + 4, 4 * 16 + 0), (mediagen::Colour{200, 200, 200}))
        << "'A' in column 1, row 4";
}

TEST(GlyphSource, MalformedGlyphsAreRefused) {
    auto parse = [](const std::string& text) {
        mediagen::SourceText source = mediagen::SourceText::fromString("test.glyphs", text);
        mediagen::GlyphSet::parse(source);
    };
    EXPECT_NE(errorOf([&] { parse("char A\n.XX\n"); }).find("8 characters"), std::string::npos);
    EXPECT_NE(errorOf([&] { parse("char A\n........\n"); }).find("ends early"), std::string::npos);
    EXPECT_NE(errorOf([&] { parse("code 200\n"); }).find("0 to 127"), std::string::npos);
    EXPECT_NE(errorOf([&] { parse("char A\n...o....\n"); }).find("only 'X' and '.'"),
              std::string::npos);
}

TEST(SoundSource, NotesAndEnvelopes) {
    EXPECT_DOUBLE_EQ(mediagen::noteFrequency("a4"), 440.0);
    EXPECT_NEAR(mediagen::noteFrequency("c#5"), 554.365, 0.001);
    EXPECT_NEAR(mediagen::noteFrequency("bb3"), 233.082, 0.001);
    EXPECT_EQ(mediagen::noteFrequency("h4"), 0.0);
    mediagen::VoiceShape shape;
    shape.attack = 0.01;
    shape.release = 0.05;
    EXPECT_DOUBLE_EQ(mediagen::envelopeLevel(shape, 0.2, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(mediagen::envelopeLevel(shape, 0.2, 0.1), 1.0);
    EXPECT_LT(mediagen::envelopeLevel(shape, 0.2, 0.1999), 0.01)
        << "a note has faded out at its end";
}

TEST(SoundSource, MusicLengthFollowsTempoAndFaultsAreRefused) {
    auto parse = [](const std::string& text) {
        mediagen::SourceText source = mediagen::SourceText::fromString("test.sfx", text);
        return mediagen::parseSound(source);
    };
    std::string instruments =
        "tempo 120\ninstrument a square volume 0.5\ninstrument b sine volume 0.4\n";
    mediagen::SoundRecipe music =
        parse(instruments + "pattern p\na: c4/4 r/4\nb: g4/2\nend\nsong p p\n");
    EXPECT_EQ(music.sampleCount, 22050 * 2) << "two patterns of two beats at 120 a minute";
    EXPECT_EQ(music.voices.size(), 4u);
    EXPECT_NE(errorOf([&] {
                  parse(instruments + "pattern p\na: c4/4\nb: g4/2\nend\nsong p\n");
              }).find("fills"),
              std::string::npos);
    EXPECT_NE(errorOf([&] {
                  parse(instruments + "pattern p\nc: c4/4\nend\nsong p\n");
              }).find("unknown instrument"),
              std::string::npos);
    EXPECT_NE(errorOf([&] {
                  parse(instruments + "pattern p\na: c4/3\nend\nsong p\n");
              }).find("note length"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { parse(instruments + "song q\n"); }).find("unknown pattern"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { parse("length 0.1\nlayer buzz\n"); }).find("unknown waveform"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { parse("layer sine\n"); }).find("either"), std::string::npos);
    mediagen::SoundRecipe loud =
        parse("length 0.1\nlayer square volume 0.8\nlayer square volume 0.8\n");
    EXPECT_NE(errorOf([&] { mediagen::renderSound(loud, "loud"); }).find("would clip"),
              std::string::npos);
}

// The desktop icons' pieces. The checksums are the published check values of CRC-32
// ("123456789" gives 0xCBF43926) and of Adler-32 ("Wikipedia" gives 0x11E60398); the
// whole PNG files are decoded by another program in tests/install.
TEST(Icons, ChecksumsMatchTheirPublishedCheckValues) {
    const std::string digits = "123456789", word = "Wikipedia";
    auto bytes = [](const std::string& text) {
        return reinterpret_cast<const std::uint8_t*>(text.data());
    };
    EXPECT_EQ(mediagen::crc32(bytes(digits), digits.size()), 0xCBF43926u);
    EXPECT_EQ(mediagen::adler32(bytes(word), word.size()), 0x11E60398u);
    EXPECT_EQ(mediagen::crc32(nullptr, 0), 0u);
    EXPECT_EQ(mediagen::adler32(nullptr, 0), 1u);
}

TEST(Icons, VisiblePartIsScaledByTheLargestWholeFactorAndCentred) {
    // A 3 x 2 mark at (5, 7) of a 20 x 20 picture: in a 16-pixel icon the factor is
    // 16 / 3 = 5, the mark 15 x 10 from (0, 3) (free space 1 and 6, halved down).
    mediagen::Image picture(20, 20, mediagen::kKeyColour);
    const mediagen::Colour ink{10, 200, 30};
    picture.fillRect(5, 7, 3, 2, ink);
    picture.set(7, 8, mediagen::kKeyColour);  // a hole stays transparent
    mediagen::Image icon = mediagen::makeIcon(picture, 16);
    ASSERT_EQ(icon.width(), 16);
    ASSERT_EQ(icon.height(), 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            bool inMark = x < 15 && y >= 3 && y < 13;
            bool inHole = x >= 10 && x < 15 && y >= 8 && y < 13;
            mediagen::Colour expected = inMark && !inHole ? ink : mediagen::kKeyColour;
            ASSERT_EQ(icon.at(x, y), expected) << x << ", " << y;
        }
    }
    // A picture with nothing visible gives an empty icon; a part larger than the icon
    // keeps the factor 1 and is cut at the edges.
    mediagen::Image empty = mediagen::makeIcon(mediagen::Image(8, 8, mediagen::kKeyColour), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(empty.at(x, y), mediagen::kKeyColour);
    // 40 x 10 centred in 8 x 8 starts at (-16, -1): the icon's corner shows (16, 1).
    mediagen::Image wide(40, 10, ink);
    const mediagen::Colour mark{200, 20, 20};
    wide.set(16, 1, mark);
    mediagen::Image large = mediagen::makeIcon(wide, 8);
    EXPECT_EQ(large.at(0, 0), mark);
    EXPECT_EQ(large.at(1, 0), ink);
    EXPECT_EQ(large.at(7, 7), ink);
}
