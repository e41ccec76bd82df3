#pragma once
// quillforge convert: a DC6 or DCC written as PNG files, one a frame, or PNG
// files made into a DC6.
#include <QStringList>

#include "cli/CliIo.h"

namespace cli {

inline constexpr char kConvertUsage[] =
    "usage: quillforge convert FILE.dc6|FILE.dcc DIR --palette PAL [--colormap MAP --shift K]\n"
    "       quillforge convert A.png [B.png ...] OUT.dc6 --palette PAL [--directions N]\n"
    "\n"
    "The first form writes every frame of FILE as DIR/NAME-dD-fF.png (NAME the\n"
    "file's name without its extension, D the direction and F the frame, both\n"
    "from 0), in RGBA with index 0 transparent: a DC6 frame at its own size, a\n"
    "DCC frame on its direction's bounding box at its offset, so the frames of\n"
    "a direction line up as they play. DIR is made when it does not exist.\n"
    "Each PNG carries the frame's offsets as the texts OffsetX and OffsetY.\n"
    "\n"
    "The second form makes OUT.dc6 from the PNG files, one frame each, in\n"
    "order, direction by direction. The indices of an indexed PNG are taken as\n"
    "they are; any other picture takes the nearest colour of the palette (never\n"
    "index 0), pixels with less than half alpha being transparent. Offsets come\n"
    "from the texts OffsetX and OffsetY where a PNG has them, else 0.\n"
    "\n"
    "    --palette PAL     a pal.dat or .PL2 file, or act1 .. act5 with --game\n"
    "    --game FOLDER     the game folder whose archives (d2data.mpq, d2exp.mpq,\n"
    "                      patch_d2.mpq) or data\\global\\palette folder hold the\n"
    "                      palettes act1 .. act5\n"
    "    --colormap MAP    a colour map (data\\global\\items\\Palette\\*.dat) ...\n"
    "    --shift K         ... and its table K (0 .. 20) applied to the indices\n"
    "    --directions N    the DC6's directions (1 when not given); the number\n"
    "                      of PNG files must be a multiple of N\n"
    "\n"
    "Bad input (a file that is no sound image, a missing palette) stops the\n"
    "command before anything is written. Each file is written whole or not at\n"
    "all; files already there are replaced.\n"
    "\n"
    "Example: quillforge convert invcap.DC6 out --palette pal.dat\n";

class Options;

int RunConvertCommand(const QStringList& args, Io& io);
void DeclareConvertOptions(Options& options);

}  // namespace cli
