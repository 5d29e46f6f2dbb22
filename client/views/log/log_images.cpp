#include "client/views/log/log_images.h"

#include <cstring>

#include "client/picture/bitmap.h"
#include "client/ui/image_list.h"
#include "client/views/drawn_image_list.h"

namespace hv {

namespace {

// Pixel art, one character a pixel: '.' is transparent, 'C' the image's own colour, 'c' a
// lighter and 'q' a darker shade of it (one drawing serves the idle, tripped and plain
// states of a sensor, or the bulb dark, lit and dimmed); the other letters are fixed colours.
uint32_t FixedColour(char c) {
  switch (c) {
    case 'K': return 0x202020;  // outline
    case 'D': return 0x404040;
    case 'g': return 0x808080;
    case 'l': return 0xC0C0C0;
    case 'w': return 0xFFFFFF;
    case 'B': return 0x2060C0;
    case 'b': return 0x90C0F0;
    case 'U': return 0x183070;  // night sky
    case 'G': return 0x30A030;
    case 'R': return 0xD02020;
    case 'r': return 0xFF8080;
    case 'Y': return 0xF0C000;
    case 'y': return 0xFFF0A0;
    case 'N': return 0x805020;
    case 'S': return 0xF5C890;  // skin
    default: return kDrawnTransparent;
  }
}

uint32_t Shade(uint32_t rgb, int numerator, int denominator, int toward) {
  uint32_t result = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const int channel = static_cast<int>((rgb >> shift) & 0xFF);
    const int shaded = channel + (toward - channel) * numerator / denominator;
    result |= static_cast<uint32_t>(shaded) << shift;
  }
  return result;
}

// The pictures are drawn in the source, one text per row of pixels, and stay as drawn.
// clang-format off
constexpr const char* kQuestionArt[kLogImageHeight] = {
    "....................",
    ".......BBBBBB.......",
    "......BBBBBBBB......",
    ".....BBB....BBB.....",
    ".....BB......BB.....",
    "............BBB.....",
    "...........BBB......",
    "..........BBB.......",
    ".........BBB........",
    ".........BB.........",
    ".........BB.........",
    "....................",
    ".........BB.........",
    ".........BB.........",
    "....................",
    "....................",
};

constexpr const char* kDotArt[kLogImageHeight] = {
    "....................",
    "....................",
    "........qqqq........",
    "......qqCCCCqq......",
    ".....qCccCCCCCq.....",
    ".....qCccCCCCCq.....",
    "....qCCcCCCCCCCq....",
    "....qCCCCCCCCCCq....",
    "....qCCCCCCCCCCq....",
    "....qCCCCCCCCCCq....",
    ".....qCCCCCCCCq.....",
    ".....qCCCCCCCCq.....",
    "......qqCCCCqq......",
    "........qqqq........",
    "....................",
    "....................",
};

constexpr const char* kSensorArt[kLogImageHeight] = {
    "....................",
    "....................",
    "....llllllllllll....",
    "....lwwwwwwwwwwg....",
    "....lwwwwwwwwwwg....",
    "....lwwwqqqqwwwg....",
    "....lwwqCCCCqwwg....",
    "....lwwqCcCCqwwg....",
    "....lwwqCCCCqwwg....",
    "....lwwwqqqqwwwg....",
    "....lwwwwwwwwwwg....",
    "....lwwwwwwwwwwg....",
    "....lggggggggggg....",
    "....................",
    "....................",
    "....................",
};

constexpr const char* kSensorTrippedArt[kLogImageHeight] = {
    "....................",
    "....................",
    "....llllllllllll....",
    "....lwwwwwwwwwwg....",
    ".C..lwwwwwwwwwwg..C.",
    "..C.lwwwqqqqwwwg.C..",
    "....lwwqCCCCqwwg....",
    "CC..lwwqCcCCqwwg..CC",
    "....lwwqCCCCqwwg....",
    "..C.lwwwqqqqwwwg.C..",
    ".C..lwwwwwwwwwwg..C.",
    "....lwwwwwwwwwwg....",
    "....lggggggggggg....",
    "....................",
    "....................",
    "....................",
};

constexpr const char* kX10Art[kLogImageHeight] = {
    "....................",
    "...NNNNNNNNNN.......",
    "...NyyyyyyyyN.......",
    "...NyyyyyyyyN.qqqq..",
    "...NyyyyyyyyN.qCCq..",
    "...NyyyyyyyyN.qCCq..",
    "...NyyyyyyyyN.qqqq..",
    "...NyyyyyyNyN.......",
    "...NyyyyyyNyN.......",
    "...NyyyyyyyyN.......",
    "...NyyyyyyyyN.......",
    "...NyyyyyyyyN.......",
    "...NyyyyyyyyN.......",
    "...NNNNNNNNNN.......",
    "....................",
    "....................",
};

constexpr const char* kBulbArt[kLogImageHeight] = {
    "........qqqq........",
    "......qqCCCCqq......",
    ".....qCCccCCCCq.....",
    "....qCCccCCCCCCq....",
    "....qCCcCCCCCCCq....",
    "....qCCCCCCCCCCq....",
    "....qCCCCCCCCCCq....",
    ".....qCCCCCCCCq.....",
    "......qCCCCCCq......",
    ".......qCCCCq.......",
    ".......gllllg.......",
    ".......gggggg.......",
    ".......gllllg.......",
    ".......gggggg.......",
    "........gggg........",
    "....................",
};

constexpr const char* kMacroArt[kLogImageHeight] = {
    "....................",
    "...gggggggggggg.....",
    "...gwwwwwwwwwwg.....",
    "...gwDDDDDDwwwg.....",
    "...gwwwwwwwwwwg.....",
    "...gwDDDDDDDDwg.....",
    "...gwwwwwwwwwwg.....",
    "...gwDDDDwwGwwg.....",
    "...gwwwwwwwGGwg.....",
    "...gwDDDDDwGGGg.....",
    "...gwwwwwwwGGwg.....",
    "...gwDDDwwwGwwg.....",
    "...gwwwwwwwwwwg.....",
    "...gggggggggggg.....",
    "....................",
    "....................",
};

constexpr const char* kEnvelopeArt[kLogImageHeight] = {
    "....................",
    "....................",
    "....................",
    "..DDDDDDDDDDDDDDDD..",
    "..DDwwwwwwwwwwwwDD..",
    "..DwDwwwwwwwwwwDwD..",
    "..DwwDwwwwwwwwDwwD..",
    "..DwwwDwwwwwwDwwwD..",
    "..DwwwwDDwwDDwwwwD..",
    "..DwwwwwwDDwwwwwwD..",
    "..DwwwwwwwwwwwwwwD..",
    "..DwwwwwwwwwwwwwwD..",
    "..DDDDDDDDDDDDDDDD..",
    "....................",
    "....................",
    "....................",
};

constexpr const char* kSpeakerArt[kLogImageHeight] = {
    "....................",
    "....................",
    "...........D........",
    "..........DD....B...",
    ".........DgD.....B..",
    "....DDDDDggD..B..B..",
    "....DgggDggD...B..B.",
    "....DgggDggD...B..B.",
    "....DgggDggD...B..B.",
    "....DgggDggD...B..B.",
    "....DDDDDggD..B..B..",
    ".........DgD.....B..",
    "..........DD....B...",
    "...........D........",
    "....................",
    "....................",
};

constexpr const char* kCameraArt[kLogImageHeight] = {
    "....................",
    "....................",
    "....................",
    "......DDDD..........",
    "..DDDDDDDDDDDDDD....",
    "..DggggggggggggD....",
    "..DgggKKKKKgggRD....",
    "..DggKBbbBBKgggD....",
    "..DggKBbBBBKgggD....",
    "..DggKBBBBBKgggD....",
    "..DggKBBBBBKgggD....",
    "..DgggKKKKKggggD....",
    "..DggggggggggggD....",
    "..DDDDDDDDDDDDDD....",
    "....................",
    "....................",
};

constexpr const char* kThermometerArt[kLogImageHeight] = {
    "....................",
    ".........DDD........",
    "........DwwwD.......",
    "........DwRwD.......",
    "........DwRwD.......",
    "........DwRwD.......",
    "........DwRwD.......",
    "........DwRwD.......",
    "........DwRwD.......",
    "........DwRwD.......",
    ".......DRRRRRD......",
    "......DRRRrRRRD.....",
    "......DRRRRRRRD.....",
    "......DRRRRRRRD.....",
    ".......DRRRRRD......",
    "........DDDDD.......",
};

constexpr const char* kFaceArt[kLogImageHeight] = {
    "....................",
    "......KKKKKKKK......",
    ".....KSSSSSSSSK.....",
    "....KSSSSSSSSSSK....",
    "....KSSKSSSSKSSK....",
    "....KSSKSSSSKSSK....",
    "....KSSSSSSSSSSK....",
    "....KSSSSSSSSSSK....",
    "....KSKSSSSSSKSK....",
    "....KSSKSSSSKSSK....",
    ".....KSSKKKKSSK.....",
    "......KSSSSSSK......",
    ".......KKKKKK.......",
    "....................",
    "....................",
    "....................",
};

constexpr const char* kFaceBubbleArt[kLogImageHeight] = {
    "...........BBBBBBBB.",
    "..........BwwwwwwwwB",
    "..........BwDDwDDwwB",
    "..........BwwwwwwwwB",
    "..........BBwBBBBBB.",
    "...KKKKKK..Bw.......",
    "..KSSSSSSK.B........",
    ".KSSKSSKSSK.........",
    ".KSSKSSKSSK.........",
    ".KSSSSSSSSK.........",
    ".KSKSSSSKSK.........",
    ".KSSKKKKSSK.........",
    "..KSSSSSSK..........",
    "...KKKKKK...........",
    "....................",
    "....................",
};

constexpr const char* kBugArt[kLogImageHeight] = {
    "....................",
    "......K......K......",
    ".......K....K.......",
    "........KKKK........",
    "...K...KDDDDK...K...",
    "....K.KRRRKRRK.K....",
    ".....KRRRRKRRRRK....",
    "..KKKKRRRRKRRRRKKKK.",
    ".....KRRRRKRRRRK....",
    "....K.KRRRKRRRK.K...",
    "...K..KRRRKRRRK..K..",
    ".....KKRRRKRRRKK....",
    "...K...KRRKRRK...K..",
    "........KKKKK.......",
    "....................",
    "....................",
};

constexpr const char* kDaynightArt[kLogImageHeight] = {
    "....................",
    "DDDDDDDDDDDDDDDDDDDD",
    "DbbbbbbbbbUUUUUUUUUD",
    "DbbbYbbbbbUUUUUyyUUD",
    "DbYbYbYbbbUUUUyyUUUD",
    "DbbYYYbbbbUUUyyyUUUD",
    "DYYYYYYYbbUUUyyyUUUD",
    "DbbYYYbbbbUUUyyyUUUD",
    "DbYbYbYbbbUUUUyyUUUD",
    "DbbbYbbbbbUUUUUyyUUD",
    "DbbbbbbbbbUUUUUUUUUD",
    "DGGGGGGGGGUUUUUUUUUD",
    "DGGGGGGGGGUUUUUUUUUD",
    "DDDDDDDDDDDDDDDDDDDD",
    "....................",
    "....................",
};
struct cLogImage {
  const char* const* art;
  uint32_t colour;  // what 'C' stands for
};

constexpr uint32_t kGrey = 0x707070;
constexpr uint32_t kRed = 0xE02020;
constexpr uint32_t kBlue = 0x3070D0;

constexpr cLogImage kImages[kLogImageCount] = {
    {kQuestionArt, 0},             // 0 question mark
    {kDotArt, 0x20B020},           // 1 green dot
    {kDotArt, 0xF0D000},           // 2 yellow dot
    {kDotArt, kRed},               // 3 red dot
    {kSensorArt, kGrey},           // 4 sensor idle
    {kSensorTrippedArt, kRed},     // 5 sensor tripped
    {kSensorArt, kBlue},           // 6 sensor
    {kX10Art, kGrey},              // 7 X10 sensor idle
    {kX10Art, kRed},               // 8 X10 sensor tripped
    {kX10Art, kBlue},              // 9 X10 sensor
    {kBulbArt, 0x909090},          // 10 dark bulb
    {kBulbArt, 0xFFE020},          // 11 lit bulb
    {kBulbArt, 0xC8A850},          // 12 dimmed bulb
    {kMacroArt, 0},                // 13 macro
    {kEnvelopeArt, 0},             // 14 envelope
    {kSpeakerArt, 0},              // 15 loudspeaker
    {kCameraArt, 0},               // 16 camera
    {kThermometerArt, 0},          // 17 thermometer
    {kFaceArt, 0},                 // 18 face
    {kFaceBubbleArt, 0},           // 19 face with speech bubble
    {kBugArt, 0},                  // 20 debug symbol
    {kDaynightArt, 0},             // 21 day and night panel
};
// clang-format on

}  // namespace

bool DrawLogImage(int32_t index, cBitmap* picture) {
  if (index < 0 || index >= kLogImageCount || picture == nullptr) return false;
  if (!picture->Allocate(kLogImageWidth, kLogImageHeight, 0xFF000000u | kDrawnTransparent).ok()) {
    return false;
  }
  const cLogImage& image = kImages[index];
  for (int32_t y = 0; y < kLogImageHeight; ++y) {
    const char* row = image.art[y];
    const size_t length = std::strlen(row);
    for (int32_t x = 0; x < kLogImageWidth && static_cast<size_t>(x) < length; ++x) {
      uint32_t rgb;
      switch (row[x]) {
        case 'C': rgb = image.colour; break;
        case 'c': rgb = Shade(image.colour, 3, 5, 0xFF); break;
        case 'q': rgb = Shade(image.colour, 2, 5, 0x00); break;
        default: rgb = FixedColour(row[x]); break;
      }
      picture->SetPixel(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 0xFF000000u | rgb);
    }
  }
  return true;
}

std::unique_ptr<cImageList> MakeLogImageList(cToolkit& toolkit) {
  return MakeDrawnImageList(toolkit, kLogImageWidth, kLogImageHeight, kLogImageCount, DrawLogImage);
}

}  // namespace hv
