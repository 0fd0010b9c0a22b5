#pragma once

// The element and attribute names of the OXS format, the one list its reader and writer share:
// a name misspelt on one side would give files that this program writes and cannot read back.
namespace brodix::oxs {

// The document and its sections.
inline constexpr char kChart[] = "chart";
inline constexpr char kProperties[] = "properties";
inline constexpr char kPalette[] = "palette";
inline constexpr char kPaletteItem[] = "palette_item";
inline constexpr char kFullStitches[] = "fullstitches";
inline constexpr char kStitch[] = "stitch";
inline constexpr char kPartStitches[] = "partstitches";
inline constexpr char kPartStitch[] = "partstitch";
inline constexpr char kBackstitches[] = "backstitches";
inline constexpr char kBackstitch[] = "backstitch";
inline constexpr char kOrnaments[] = "ornaments_inc_knots_and_beads";
inline constexpr char kObject[] = "object";

// The chart's properties.
inline constexpr char kOxsVersion[] = "oxsversion";
inline constexpr char kSoftware[] = "software";
inline constexpr char kSoftwareVersion[] = "software_version";
inline constexpr char kChartWidth[] = "chartwidth";
inline constexpr char kChartHeight[] = "chartheight";
inline constexpr char kChartTitle[] = "charttitle";
inline constexpr char kStitchesPerInch[] = "stitchesperinch";
inline constexpr char kPaletteCount[] = "palettecount";

// A palette item: its index (0 the cloth), thread number and name, colour, symbol and strands.
inline constexpr char kIndex[] = "index";
inline constexpr char kNumber[] = "number";
inline constexpr char kName[] = "name";
inline constexpr char kColor[] = "color";
inline constexpr char kSymbol[] = "symbol";
inline constexpr char kStrands[] = "strands";

// A full stitch: its cell and palette index.
inline constexpr char kX[] = "x";
inline constexpr char kY[] = "y";
inline constexpr char kPalIndex[] = "palindex";

// An ornament's kind: a French knot, or a bead of any size ("bead2.5mm").
inline constexpr char kObjectType[] = "objecttype";
inline constexpr char kKnot[] = "knot";
inline constexpr char kBeadPrefix[] = "bead";

}  // namespace brodix::oxs
