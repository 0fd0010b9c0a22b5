// Charts in the exchange format of cross-stitch programs (OXS), read as pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_builder.h"
#include "pattern/OxsReader.h"
#include "photo/Photo.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "test_files.h"

namespace brodix {
namespace {

std::span<const std::uint8_t> BytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// Written from the format's public description: the cloth in a colour of its own (shown white,
// as every empty cell), two threads, a full stitch in the cloth's colour (which is no stitch),
// coordinates with a decimal comma and point, a half stitch, a backstitch, a French knot and a
// bead.
const std::string kDocumented = R"(<?xml version="1.0" encoding="UTF-8"?>
<chart>
  <format comments01="Designed to allow interchange of basic pattern data"/>
  <properties oxsversion="1.0" software="Ursa Software" software_version="2021" chartheight="3"
    chartwidth="4" charttitle="Piggies" stitchesperinch="14" palettecount="2"/>
  <palette>
    <palette_item index="0" number="cloth" name="cloth" color="F0E8D0"/>
    <palette_item index="1" number="DMC    310" name="Black" color="2C3225" printcolor="000000"
      strands="2" symbol="100" bsstrands="1" bscolor="2C3225"/>
    <palette_item index="2" number="DMC 158 [+]" name="DMC 158 [+] DMC 208" color="303065"/>
  </palette>
  <fullstitches>
    <stitch x="1" y="1" palindex="0"/>
    <stitch x="0" y="0" palindex="1"/>
    <stitch x="3,0" y="2.0" palindex="2" marked="true"/>
  </fullstitches>
  <partstitches>
    <partstitch x="1" y="2" palindex1="1" palindex2="0" direction="3"/>
  </partstitches>
  <backstitches>
    <backstitch x1="2" x2="5" y1="2" y2="2.5" palindex="2" objecttype="backstitch" sequence="0"/>
  </backstitches>
  <ornaments_inc_knots_and_beads>
    <object x1="1" y1="1" palindex="2" objecttype="knot"/>
    <object x1="1.5" y1="1.5" palindex="1" objecttype="bead2.5mm"/>
  </ornaments_inc_knots_and_beads>
</chart>
)";

TEST(OxsRead, TheDocumentedExampleGivesItsFullStitchesAndCountsTheRest) {
    const OxsPicture read = ReadOxs(BytesOf(kDocumented), "pigs.oxs");
    const TBitmap& picture = *read.picture;
    ASSERT_EQ(picture.Width(), 4);
    ASSERT_EQ(picture.Height(), 3);
    EXPECT_EQ(picture.PixelFormat(), TPixelFormat::Direct24);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            TColor expected = clWhite;  // cloth and empty cells alike
            if (x == 0 && y == 0)
                expected = RGB(0x2C, 0x32, 0x25);
            if (x == 3 && y == 2)
                expected = RGB(0x30, 0x30, 0x65);
            EXPECT_EQ(picture.GetPixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(read.leftOut,
              (OxsLeftOut{.partStitches = 1, .backstitches = 1, .knots = 1, .beads = 1}));
    EXPECT_EQ(read.message,
              "pigs.oxs: only full stitches can be charted; left out 1 part stitch, 1 backstitch, "
              "1 French knot and 1 bead.");
}

// "Open Any Picture..." and brodix-chart --fit fit a chart from its picture, as the photo
// reader fits a picture of the same pixels; the photo reader itself takes no chart.
TEST(OxsRead, AChartIsFittedAsAPictureOfTheSamePixels) {
    const OxsPicture chart = ReadOxs(BytesOf(kDocumented), "pigs.oxs");
    const TBitmap& picture = *chart.picture;
    const testing::Bytes bmp =
        testing::BmpBytes(4, 3, 24, [&](int x, int y) { return picture.GetPixel(x, y); });
    const struct {
        StitchSize box;
        StitchSize fitted;
    } cases[] = {
        {{8, 8}, {8, 6}},  // enlarged: each stitch becomes 2 x 2
        {{2, 2}, {2, 2}},  // made smaller: averaged in linear light
        {{3, 9}, {3, 2}},
        {{4, 3}, {4, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.box.width << " x " << c.box.height);
        const auto fitted = FitBitmap(picture, c.box, "pigs.oxs");
        const auto photo = ReadPhoto(bmp, {.fit = c.box}, "pigs.bmp");
        ASSERT_EQ((StitchSize{fitted->Width(), fitted->Height()}), c.fitted);
        ASSERT_EQ((StitchSize{photo->Width(), photo->Height()}), c.fitted);
        EXPECT_EQ(fitted->PixelFormat(), TPixelFormat::Direct24);
        for (int y = 0; y < c.fitted.height; ++y) {
            for (int x = 0; x < c.fitted.width; ++x) {
                EXPECT_EQ(fitted->GetPixel(x, y), photo->GetPixel(x, y)) << x << "," << y;
                if (c.fitted.width == 8) {
                    EXPECT_EQ(fitted->GetPixel(x, y), picture.GetPixel(x / 2, y / 2));
                }
            }
        }
    }
    EXPECT_THROW(ReadPhoto(BytesOf(kDocumented), {}, "pigs.oxs"), EInvalidGraphic);
}

TEST(OxsRead, FaultyStitchesAreCountedAndTheFirstStitchOfACellKept) {
    const std::string chart = R"(<chart><properties chartwidth="2" chartheight="2"/>
      <palette><palette_item index="0" color="FFFFFF"/><palette_item index="1" color="FF0000"/>
        <palette_item index="2" color="nil"/></palette>
      <fullstitches>
        <stitch x="0" y="0" palindex="1"/><stitch x="0" y="0" palindex="2"/>
        <stitch x="1" y="0" palindex="2"/>
        <stitch x="2" y="0" palindex="1"/><stitch x="0" y="-1" palindex="1"/>
        <stitch x="1" y="1" palindex="7"/>
        <stitch x="0.5" y="1" palindex="1"/><stitch y="1" palindex="1"/>
      </fullstitches></chart>)";
    const OxsPicture read = ReadOxs(BytesOf(chart), "f.oxs");
    EXPECT_EQ(read.picture->GetPixel(0, 0), RGB(0xFF, 0, 0));
    EXPECT_EQ(read.picture->GetPixel(1, 0), RGB(0xFF, 0, 0xFF)) << "no colour: magenta";
    EXPECT_EQ(read.picture->GetPixel(1, 1), clWhite);
    EXPECT_EQ(
        read.leftOut,
        (OxsLeftOut{.outsideChart = 2, .unknownColour = 1, .secondStitch = 1, .unreadable = 2}));
    EXPECT_EQ(read.message,
              "f.oxs: Left out 2 full stitches outside the 2 x 2 chart, 1 full stitch of a colour "
              "the palette lacks, 1 second full stitch in a cell and 2 full stitches without a "
              "readable position or colour.");
}

// A value may spell any character as a reference; the file means the character.
TEST(OxsRead, CharacterReferencesInValuesAreTheCharacters) {
    const std::string chart = R"(<chart><properties chartwidth="&#51;" chartheight='&#x32;'/>
      <palette><palette_item index="&#48;" color="FFFFFF"/>
        <palette_item index="1" color="&#x46;F&#48;000"/></palette>
      <fullstitches><stitch x="&#50;" y=" &#49; " palindex="&#49;"/>
        <stitch x="&#4x;" y="0" palindex="1"/><stitch x="&amp;" y="0" palindex="1"/></fullstitches>
      <ornaments_inc_knots_and_beads><object objecttype="&#107;not"/>
      </ornaments_inc_knots_and_beads></chart>)";
    const OxsPicture read = ReadOxs(BytesOf(chart), "refs.oxs");
    ASSERT_EQ(read.picture->Width(), 3);
    ASSERT_EQ(read.picture->Height(), 2);
    EXPECT_EQ(read.picture->GetPixel(2, 1), RGB(0xFF, 0, 0));
    EXPECT_EQ(read.leftOut, (OxsLeftOut{.knots = 1, .unreadable = 2}));
}

// The file is read element by element, never as a tree: millions of elements cost no more than
// the chart they describe (a tree of them took 27 bytes a byte of the file).
TEST(OxsRead, ManyElementsCostNoMoreThanTheChart) {
    std::string junk = "<chart>";
    for (int i = 0; i < 4'000'000; ++i)
        junk += "x<a/>";
    junk += "</chart>";
    const long growthMb = testing::PeakGrowthMb([&] { ReadOxs(BytesOf(junk), "junk.oxs"); });
    EXPECT_LT(growthMb, 16) << "a 100 x 100 chart from " << junk.size() << " bytes";
    EXPECT_EQ(ReadOxs(BytesOf(junk), "junk.oxs").picture->Width(), 100);
}

TEST(OxsRead, AChartWithoutSizeIsTheDefaultHundredSquare) {
    const OxsPicture read = ReadOxs(BytesOf("<chart/>"), "empty.oxs");
    EXPECT_EQ(read.picture->Width(), 100);
    EXPECT_EQ(read.picture->Height(), 100);
    EXPECT_EQ(read.message, "");
}

TEST(OxsRead, MalformedFilesFailNamingTheFileAndTheReason) {
    struct Case {
        std::string text;
        bool tooLarge;
        std::string message;
    };
    const std::string huge =
        "<chart><properties chartwidth=\"5000\" chartheight=\"5000\"/></chart>";
    const Case cases[] = {
        {"<chart><palette></chart>", false,
         "bad.oxs: the OXS file is not well-formed XML (Start-end tags mismatch on line 1)"},
        // Line breaks right after names, which a parse in place overwrites, still count.
        {"<chart\n><palette\n></chart>", false,
         "bad.oxs: the OXS file is not well-formed XML (Start-end tags mismatch on line 3)"},
        {"<?xml version=\"1.0\"?>\n<pattern/>", false,
         "bad.oxs: the file is XML, but not an OXS chart: it has no <chart> element"},
        {"<chart><properties chartwidth=\"wide\"/></chart>", false,
         "bad.oxs: the chart's width \"wide\" is not a number of stitches"},
        {"<chart><properties chartheight=\"0\"/></chart>", false,
         "bad.oxs: the chart's height \"0\" is not a number of stitches"},
        {huge, true,
         "bad.oxs: the chart claims 5000 x 5000 stitches, far more than a file of " +
             std::to_string(huge.size()) + " bytes can describe"},
        {"<chart><properties chartwidth=\"100000\" chartheight=\"100000\"/></chart>", true,
         "bad.oxs: the picture is 100000 x 100000 pixels; at most 50000000 pixels can be read"},
        {"<chart>" + Repeated("<a>", 300), false,
         "bad.oxs: the OXS file nests its elements more than 256 deep; a chart nests them 3 deep"},
        {"<chart><a" + Repeated(" b=\"\"", 257) + "/></chart>", false,
         "bad.oxs: an element of the OXS file has more than 256 attributes; a chart's have a few"},
        {"<chart><palette>" + Repeated("<palette_item/>", 65537) + "</palette></chart>", false,
         "bad.oxs: the palette holds more than 65536 colours, far more than a chart has"},
        {"<chart><a b=\"1\"c=\"2\"/></chart>", false,
         "bad.oxs: the OXS file is not well-formed XML (Error parsing element attribute on line "
         "1)"},
        {"<chart>\n<!-- open", false,
         "bad.oxs: the OXS file is not well-formed XML (Error parsing comment on line 2)"},
        {"<chart></chart></chart>", false,
         "bad.oxs: the OXS file is not well-formed XML (Start-end tags mismatch on line 1)"},
        {"text", false,
         "bad.oxs: the OXS file is not well-formed XML (No document element found "
         "on line 1)"},
    };
    // From bytes, and from a file, which is parsed where it was read.
    testing::TempDir dir;
    const std::string file = dir / "bad.oxs";
    for (const Case& c : cases) {
        testing::WriteFileBytes(file, testing::Bytes(c.text.begin(), c.text.end()));
        for (const bool fromFile : {false, true}) {
            const std::string message = fromFile ? dir.Path() + "/" + c.message : c.message;
            try {
                if (fromFile)
                    ReadOxsFile(file);
                else
                    ReadOxs(BytesOf(c.text), "bad.oxs");
                ADD_FAILURE() << c.text;
            } catch (const EOutOfResources& error) {
                EXPECT_TRUE(c.tooLarge) << c.text;
                EXPECT_EQ(std::string(error.what()), message);
            } catch (const EInvalidGraphic& error) {
                EXPECT_FALSE(c.tooLarge) << c.text;
                EXPECT_EQ(std::string(error.what()), message);
            }
        }
    }
}

TEST(OxsRead, TheKindIsToldByTheFirstElement) {
    const struct {
        const char* text;
        bool oxs;
    } cases[] = {
        {"<chart>", true},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- made by hand -->\n<chart\n>", true},
        {"<chart/>", true},
        {"<charts>", false},
        {"<?xml version=\"1.0\"?><flossScheme><chart/>", false},
        {"\x89PNG\r\n\x1A\n", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsOxsData(BytesOf(c.text)), c.oxs) << c.text;
}

}  // namespace
}  // namespace brodix
