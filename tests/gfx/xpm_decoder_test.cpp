// The XPM reader on small pictures written here: the colour forms the artwork
// may use, the derived mask-and-image pair, and a clear error naming the
// picture for every kind of damage.
#include "gfx/xpm_decoder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace voltaro {
namespace {

TEST(XpmDecoder, ReadsColoursInEveryForm) {
  const char* const xpm[] = {
      "5 2 5 1",  // width height colours chars-per-pixel
      "  c None", "# c #00FF00", "w c white", ". c #000", "r s red c #ffff00008000",
      "#  .w",    "r#r  ",
  };
  const Surface p = DecodeXpm(std::span<const char* const>(xpm), "test");
  ASSERT_EQ(p.width, 5);
  ASSERT_EQ(p.height, 2);
  const std::vector<std::uint32_t> expected = {0x00FF00, kXpmNone, kXpmNone, 0x000000, 0xFFFFFF,
                                               0xFF0080, 0x00FF00, 0xFF0080, kXpmNone, kXpmNone};
  EXPECT_EQ(p.pixels, expected);
}

TEST(XpmDecoder, ReadsTwoCharactersPerPixelAndIgnoresHotSpot) {
  const char* const xpm[] = {"2 1 2 2 0 0", "a  c #00ff00", "b. c None", "b.a "};
  const Surface p = DecodeXpm(xpm, "pair");  // the unbounded pointer form
  EXPECT_EQ(p.At(0, 0), kXpmNone);
  EXPECT_EQ(p.At(1, 0), 0x00FF00u);
}

TEST(XpmDecoder, DerivesMaskAndImageFromTheTransparentColour) {
  const char* const xpm[] = {"3 1 3 1", "  c None", "g c #00FF00", "k c #000000", " gk"};
  const SpritePair pair = MakeSpritePair(DecodeXpm(std::span<const char* const>(xpm), "t"));
  EXPECT_EQ(pair.mask.pixels, (std::vector<std::uint32_t>{kWhite, kBlack, kBlack}));
  EXPECT_EQ(pair.image.pixels, (std::vector<std::uint32_t>{kWhite, kGreen, kBlack}));
}

TEST(XpmDecoder, OpaquePictureMustHaveNoTransparentPixel) {
  const char* const holes[] = {"2 1 2 1", "  c None", "g c #00FF00", " g"};
  const char* const solid[] = {"2 1 1 1", "g c #00FF00", "gg"};
  EXPECT_THROW(MakeOpaque(DecodeXpm(std::span<const char* const>(holes), "p"), "picPlate"),
               std::runtime_error);
  EXPECT_EQ(MakeOpaque(DecodeXpm(std::span<const char* const>(solid), "p"), "p").At(1, 0), kGreen);
}

struct Damaged {
  const char* what;
  std::vector<const char*> lines;
  const char* expectedWords;  // part of the message
};

class XpmDamage : public ::testing::TestWithParam<Damaged> {};

TEST_P(XpmDamage, ThrowsNamingThePictureAndTheFault) {
  const Damaged& d = GetParam();
  try {
    DecodeXpm(std::span<const char* const>(d.lines.data(), d.lines.size()), "picBroken");
    FAIL() << d.what << ": no error";
  } catch (const std::runtime_error& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("picBroken"), std::string::npos) << message;
    EXPECT_NE(message.find(d.expectedWords), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, XpmDamage,
    ::testing::Values(
        Damaged{"empty", {}, "missing header"}, Damaged{"null header", {nullptr}, "missing header"},
        Damaged{"short header", {"2 1 1"}, "header"},
        Damaged{"words in header", {"two 1 1 1", "g c #0f0", "gg"}, "whole numbers"},
        Damaged{"zero width", {"0 1 1 1", "g c #0f0", ""}, "out of range"},
        Damaged{"negative height", {"1 -1 1 1", "g c #0f0"}, "out of range"},
        Damaged{"huge size", {"100000 100000 1 1", "g c #0f0"}, "out of range"},
        Damaged{"no colours", {"1 1 0 1", "g"}, "colour count"},
        Damaged{"zero chars per pixel", {"1 1 1 0", "g c #0f0", "g"}, "chars per pixel"},
        Damaged{"colour lines missing", {"1 1 2 1", "g c #0f0"}, "missing colour line"},
        Damaged{"null colour line", {"1 1 1 1", nullptr, "g"}, "missing colour line"},
        Damaged{"unknown colour", {"1 1 1 1", "g c chartreuse", "g"}, "unknown colour"},
        Damaged{"bad hex", {"1 1 1 1", "g c #0g0", "g"}, "unknown colour"},
        Damaged{"hex of wrong length", {"1 1 1 1", "g c #12345", "g"}, "unknown colour"},
        Damaged{"no value", {"1 1 1 1", "g c", "g"}, "no value"},
        Damaged{"no colour context", {"1 1 1 1", "g s thing", "g"}, "no colour"},
        Damaged{"junk in colour line", {"1 1 1 1", "g x #0f0", "g"}, "unexpected"},
        Damaged{"duplicate key", {"1 1 2 1", "g c #0f0", "g c #000", "g"}, "twice"},
        Damaged{"rows missing", {"2 2 1 1", "g c #0f0", "gg"}, "missing pixel row"},
        Damaged{"short row", {"3 1 1 1", "g c #0f0", "gg"}, "row 0 has 2"},
        Damaged{"long row", {"3 1 1 1", "g c #0f0", "gggg"}, "expected 3"},
        Damaged{"undefined key", {"2 1 1 1", "g c #0f0", "gx"}, "undefined colour key 'x'"}));

TEST(XpmDecoder, NullPictureIsReportedNotRead) {
  EXPECT_THROW(DecodeXpm(static_cast<const char* const*>(nullptr), "picNothing"),
               std::runtime_error);
}

}  // namespace
}  // namespace voltaro
