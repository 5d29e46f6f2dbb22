// Writes the seed corpora of the fuzz targets into <corpus folder>/<target>/: well-formed
// inputs of every kind each target reads, made with the same encoders the program uses, so a
// fuzzer starts from deep inside the formats. Run it again when a format changes:
//   build/<dir>/bin/fuzz_seed_maker fuzz/corpus
// Reproducers of crashes are added by hand (named crash-*) and never regenerated.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/settings_file.h"
#include "client/cmdfile/testing/pinned_monitor.h"
#include "client/picture/testing/sample_pictures.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "core/status.h"
#include "core/wire/message_types.h"
#include "fuzz/archive_script.h"
#include "fuzz/scratch_folder.h"

namespace hv {

namespace {

using hv::test::BlockImage;
using hv::test::Bytes;
using hv::test::Payload;

std::string g_root;

void Put(const char* target, const std::string& name, const Bytes& bytes) {
  std::string folder = g_root + "/" + target;
  std::filesystem::create_directories(folder);
  hv::fuzz::WriteWholeFile(folder + "/" + name, bytes.data(), bytes.size());
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes SmallJpeg() { return EncodeJpegSample(MakeQuadrantPicture(8, 6), {80, false, false, false}); }

// --- what a server sends ---
// The seeds are laid out one block per line, as the wire has them.
// clang-format off
void ClientReceiveSeeds() {
  const swGuid g1(0x11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
  const swGuid g2(0x22, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
  Put("client_receive", "items", Join({
      BlockImage(3, msg::kSwitchItem, Payload().Str("Porch").Str("front").U32(1).U32(2).U32(0)
                                          .F64(0.0).U32(4)),
      BlockImage(3, msg::kSwitchItem, Payload().Str("")),
      BlockImage(3, msg::kSensorItem, Payload().Str("Temp").Str("").U32(2).U32(17).U32(21)),
      BlockImage(3, msg::kMacroItem, Payload().Str("Wake").Str("d").U32(3).U16(1).U32(1).U32(2)
                                         .U32(3).U32(4)),
      BlockImage(3, msg::kModeItem, Payload().Str("Away").Str("gone").U16(1))}));
  Put("client_receive", "statuses", Join({
      BlockImage(3, msg::kSwitchStatus, Payload().Str("Porch").U32(3).U32(0).U32(0).F64(0)),
      BlockImage(3, msg::kSensorStatus, Payload().Str("Temp").U32(17).U32(-5)),
      BlockImage(3, msg::kMacroStatus, Payload().Str("Wake").U32(2)),
      BlockImage(3, msg::kModeStatus, Payload().Str("Away").U16(0)),
      BlockImage(3, msg::kClientQty, Payload().U32(3)),
      BlockImage(3, msg::kLightDark, Payload().U16(1)),
      BlockImage(3, msg::kPauseState, Payload().U16(0)),
      BlockImage(3, msg::kMuteState, Payload().U16(1)),
      BlockImage(3, msg::kServerTime, Payload().U32(1700000000).U16(0)),
      BlockImage(3, msg::kDawnDusk, Payload().U32(1700000000).U32(1700040000)),
      BlockImage(3, msg::kVideoSource, Payload().Str("Cam1").U32(2)),
      BlockImage(3, msg::kControlFileName, Payload().Str("C:\\house.ctl"))}));
  Put("client_receive", "log-items", Join({
      BlockImage(3, msg::kLogItem, Payload().U32(5).Str("Front door").Str("Opened").Str("A1")
                                       .U32(20).U32(3).U32(2).Str("x").Str("01/02/2024")
                                       .Str("08:00:00 AM").F64(3.5).U32(7).U32(9)),
      BlockImage(3, msg::kLogItem, Payload().U32(99).Str("n").Str("m").Str("").U32(2).U32(42)
                                       .U32(0).Str("").Str("d").Str("t"))}));
  Bytes jpeg = SmallJpeg();
  Bytes half1(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2));
  Bytes half2(jpeg.begin() + static_cast<long>(jpeg.size() / 2), jpeg.end());
  Put("client_receive", "thumbnail", BlockImage(3, msg::kThumbnail,
      Payload().Str("Cam1").Str("C:\\snap\\1.jpg").U16(0).Str("").U32(1700000000).U32(0)
          .Chunk(jpeg)));
  Put("client_receive", "thumbnail-v2", BlockImage(2, msg::kThumbnail,
      Payload().Str("Cam2").Str("p2.jpg").U32(1600000000).U32(0).Chunk(jpeg)));
  // One thumbnail in two blocks: it is gathered in a scratch file and read back from there.
  Put("client_receive", "thumbnail-two-blocks", Join({
      BlockImage(3, msg::kThumbnail, Payload().Str("Cam1").Str("p").U16(0).Str("").U32(9)
                                         .U32(0).Chunk(half1), 0, 0, g1),
      BlockImage(3, msg::kThumbnail, Payload().Chunk(half2), 1, 1, g1)}));
  // Blocks of one message out of order, interleaved with another message.
  Put("client_receive", "thumbnail-blocks", Join({
      BlockImage(3, msg::kThumbnail, Payload().Str("Cam1").Str("p").U16(1).Str("c.avi").U32(9)
                                         .U32(0).Chunk(half1), 0, 0, g1),
      BlockImage(3, msg::kFullPicture, Payload().Chunk({4, 5}), 2, 1, g2),
      BlockImage(3, msg::kFullPicture, Payload().Str("Cam1").Str("C:\\Pictures\\cam1.jpg")
                                           .U32(5).Chunk(half1), 0, 0, g2),
      BlockImage(3, msg::kThumbnail, Payload().Chunk(half2), 1, 1, g1),
      BlockImage(3, msg::kFullPicture, Payload().Chunk(half2), 1, 0, g2)}));
  Put("client_receive", "files", Join({
      BlockImage(3, msg::kFullPicture, Payload().Str("Cam1").Str("..\\..\\evil.jpg").U32(5)
                                           .Chunk({7})),
      BlockImage(3, msg::kCommandResponse, Payload().Str("C:\\VHCmdResponse.txt")
                                               .Chunk({'o', 'k'})),
      BlockImage(3, msg::kCommandResponse, Payload().Str("..").Chunk({'x'}))}));
  Put("client_receive", "desktop", Join({
      BlockImage(3, msg::kServerMessage, Payload().Str("ALL").U32(0).Str("Notice").Str("Hi")),
      BlockImage(3, msg::kLaunchProgram, Payload().Str("/usr/bin/true").Str("open")
                                             .Str("-a \"b c\"").Str("/tmp").U32(1).Str("all")),
      BlockImage(3, msg::kLaunchProgram, Payload().Str("doc.txt").Str("print").Str("").Str("")
                                             .U32(1))}));
  Put("client_receive", "short-headers", Join({
      BlockImage(1, msg::kSwitchItem, Payload().Str("Old").Str("").U32(1).U32(2)),
      BlockImage(0, msg::kClientQty, Payload().U32(1)),
      BlockImage(3, msg::kDroppedTextsAndNumberAnswer36, Payload().U32(1))}));
  Put("client_receive", "unexpected-type", BlockImage(3, msg::kRefusedAnswer18, Payload().U32(1)));
  Bytes cut = BlockImage(3, msg::kSwitchItem, Payload().Str("Porch").U32(1));
  cut.resize(cut.size() - 3);
  Put("client_receive", "truncated", cut);
}

// --- settings files ---
void SettingsSeeds(const std::string& scratch) {
  auto save = [&](const char* name, cClientStorage& storage) {
    std::string path = scratch + "/" + name;
    if (!SaveClientStorage(path.c_str(), storage, nullptr).ok()) {
      std::fprintf(stderr, "seed_maker: cannot save %s\n", name);
      std::exit(1);
    }
    Put("settings_file", name, hv::test::ReadWholeFile(path));
  };
  cClientStorage defaults;
  if (!defaults.Initialise().ok()) std::exit(1);  // only memory running out fails it
  defaults.Monitor()->start_time = 1700000000;
  save("defaults", defaults);

  cClientStorage custom;
  if (!custom.Initialise().ok()) std::exit(1);
  hv::test::SetPinnedMonitor(custom.Monitor());
  save("custom", custom);

  cClientStorage empty;
  save("no-monitor", empty);

  Bytes whole = hv::test::ReadWholeFile(scratch + "/custom");
  Put("settings_file", "truncated", Bytes(whole.begin(), whole.begin() + 60));
  Put("settings_file", "no-preface-end", Bytes{'V', 'a', 'r', 'n', 'h', 'o', 'l', 't'});
}

// --- pictures ---
void PictureSeeds() {
  cBitmap quad = MakeQuadrantPicture(9, 7);
  cBitmap tiny = MakeQuadrantPicture(2, 2);
  Put("picture", "baseline.jpg", EncodeJpegSample(quad, {75, false, false, false}));
  Put("picture", "progressive.jpg", EncodeJpegSample(quad, {75, true, false, false}));
  Put("picture", "grey.jpg", EncodeJpegSample(quad, {75, false, true, false}));
  Put("picture", "cmyk.jpg", EncodeJpegSample(tiny, {75, false, false, true}));
  Put("picture", "quad.png", EncodePngSample(quad));
  Put("picture", "quad.gif", EncodeGifSample(quad));
  Put("picture", "interlaced.gif", EncodeGifSample(quad, true));
  Put("picture", "plain.tif", EncodeTiffSample(quad));
  Put("picture", "lzw-be.tif", EncodeTiffSample(quad, {true, 5, false, 3}));
  Put("picture", "deflate-alpha.tif", EncodeTiffSample(quad, {false, 8, true, 2}));
  Put("picture", "24.bmp", EncodeBmpSample(quad));
  Put("picture", "8-top-down.bmp", EncodeBmpSample(quad, {8, true, false}));
  Put("picture", "32-alpha.bmp", EncodeBmpSample(quad, {32, false, true}));
}

// --- archives ---
void ArchiveSeed(const char* name, bool tagged, bool keyed, const Bytes& ops,
                 const hv::fuzz::ScriptValues& values) {
  hv::fuzz::ScriptHeader header;
  header.type_id = swGuid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  header.creator_id = swGuid(12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22);
  header.name = "Fuzz seed";
  header.version = 2;
  Bytes file;
  if (hv::fuzz::RunScriptWriting(ops, tagged, keyed, header, values, &file) != 0) {
    std::fprintf(stderr, "seed_maker: cannot write archive %s\n", name);
    std::exit(1);
  }
  Bytes input{static_cast<uint8_t>((tagged ? 1 : 0) | (keyed ? 2 : 0)),
              static_cast<uint8_t>(ops.size())};
  input.insert(input.end(), ops.begin(), ops.end());
  input.insert(input.end(), file.begin(), file.end());
  Put("archive_values", name, input);
}

void ArchiveSeeds() {
  using namespace hv::fuzz;
  // Objects live as long as the seeds are written.
  static swString text("shared text");
  static swGuid guid(0xAABBCCDD, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
  static swList list;
  static swList nested;
  if (list.GetCount() == 0) {
    // Adding a present item fails only when memory runs out, and a seed maker that has none
    // writes no seeds anyway.
    const char* why = "the items are present";
    nested.AddTail(&text).Ignore(why);
    list.AddTail(&text).Ignore(why);
    list.AddTail(&guid).Ignore(why);
    list.AddTail(&nested).Ignore(why);
    list.AddTail(&list).Ignore(why);  // a list that holds itself
  }

  const Bytes values_ops{kOpU8, kOpU16, kOpU32Version2, kOpU64, kOpString, kOpGuid};
  ScriptValues v;
  v.numbers = {200, 60000, 4000000000u, 0x0123456789ABCDEFull, 0, 0};
  v.strings.assign(6, swString());
  v.strings[4] = "a string \xE9";
  v.guids.assign(6, swGuid());
  v.guids[5] = guid;
  v.objects.assign(6, nullptr);
  for (bool tagged : {true, false}) {
    for (bool keyed : {false, true}) {
      std::string name = std::string("values") + (tagged ? "-tagged" : "-raw") +
                         (keyed ? "-keyed" : "");
      ArchiveSeed(name.c_str(), tagged, keyed, values_ops, v);
    }
  }

  const Bytes refs_ops{kOpObjectRef, kOpStringRef, kOpObjectRef, kOpObjectRef, kOpStringRef};
  ScriptValues r;
  r.numbers.assign(5, 0);
  r.strings.assign(5, swString());
  r.guids.assign(5, swGuid());
  r.objects = {&list, &text, &guid, nullptr, &text};
  ArchiveSeed("refs-tagged", true, false, refs_ops, r);
  ArchiveSeed("refs-raw", false, false, refs_ops, r);
  ArchiveSeed("refs-keyed", true, true, refs_ops, r);

  const Bytes section_ops{kOpU16, kOpBeginSection, kOpString, kOpObjectRef, kOpEndSection,
                          static_cast<uint8_t>(kOpBeginSection | 0x80), kOpU64, kOpEndSection,
                          kOpGuid};
  ScriptValues s;
  s.numbers = {7, 0, 0, 0, 0, 0, 99, 0, 0};
  s.strings.assign(9, swString());
  s.strings[2] = "in a section";
  s.guids.assign(9, swGuid());
  s.guids[8] = guid;
  s.objects.assign(9, nullptr);
  s.objects[3] = &nested;
  ArchiveSeed("sections-keyed", true, true, section_ops, s);
  ArchiveSeed("sections", true, false, section_ops, s);
}

// --- what a client sends housesim ---
Bytes Request(uint32_t type, const Bytes& payload = {}) { return BlockImage(3, type, payload); }

Bytes CommandFile(const std::string& text, size_t blocks) {
  const swGuid g(0x33, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
  Bytes out;
  size_t per = (text.size() + blocks - 1) / blocks;
  for (size_t i = 0; i < blocks; ++i) {
    std::string part = text.substr(std::min(text.size(), i * per), per);
    Payload p;
    if (i == 0) p.Str("C:\\VHCmd.txt").Str("C:\\VHCmdResponse.txt");
    p.Chunk(Bytes(part.begin(), part.end()));
    Bytes block = BlockImage(3, msg::kSendCommandFile, p, static_cast<uint32_t>(i),
                             i + 1 == blocks ? 1 : 0, g);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

void SimSeeds() {
  Bytes lists = Join({Request(msg::kGetLogItems, Payload().U32(20)), Request(msg::kGetSwitches),
                      Request(msg::kGetSensors), Request(msg::kGetMacros),
                      Request(msg::kGetModes), Request(msg::kGetControlFileName),
                      Request(msg::kGetClientQty), Request(msg::kGetLightDark),
                      Request(msg::kGetServerTime), Request(msg::kGetDawnDusk),
                      Request(msg::kGetVideoSources)});
  Bytes changes = Join({
      Request(msg::kSetSwitchStatus, Payload().Str("Porch Light").U32(2).U32(0).U32(0).F64(0)),
      Request(msg::kSetSensorStatus, Payload().Str("Front Door").U32(1).U32(0).U32(0)),
      Request(msg::kSetMacroStatus, Payload().Str("Good Morning").U32(1)),
      Request(msg::kSetModeStatus, Payload().Str("Away").U16(1)),
      Request(msg::kUserMessage, Payload().Str("hello")),
      Request(msg::kSetLightDark, Payload().U16(1)), Request(msg::kSetPause, Payload().U16(1)),
      Request(msg::kSetMute, Payload().U16(0)),
      Request(msg::kSendX10Code, Payload().U32(0).U32(1).U32(2).U32(0))});
  Bytes video = Join({
      Request(msg::kGetThumbnails, Payload().U32(2).U32(1).U32(75).U32(80).U32(60)),
      Request(msg::kSnapPicture, Payload().Str("Front Porch")),
      Request(msg::kGetFullPicture, Payload().Str("Front Porch").Str("C:\\snap\\1.jpg").U32(5)),
      Request(msg::kVideoMotion, Payload().Str("Back Yard").U32(1).U32(3).U32(2)),
      Request(msg::kStartRecord, Payload().Str("Back Yard")),
      Request(msg::kStopRecord, Payload().Str("Back Yard"))});
  Bytes commands = CommandFile("switch \"Porch Light\" on\r\nmacro \"Good Night\" run\r\n"
                               "mode Away on\r\nx10 A1 dim\r\nsnap \"Front Porch\"\r\n"
                               "lightdark night\r\nlog hello there\r\n", 3);
  Bytes session = Join({Request(msg::kLogoff), Request(msg::kGetSwitches),
                        Request(msg::kLogin, Payload().Str("guest").Str("")),
                        Request(msg::kGetModes), Request(msg::kGoodbye)});
  for (const char* target : {"sim_framer", "sim_server"}) {
    Put(target, "lists", lists);
    Put(target, "changes", changes);
    Put(target, "video", video);
    Put(target, "command-file", commands);
    Put(target, "session", session);
  }
  Put("sim_framer", "short-header", BlockImage(1, msg::kGetSwitches, Payload().U32(1)));
}
// clang-format on

}  // namespace

// --- the restart program's command line: text up to a NUL, argument vector split at NULs ---
void PutText(const char* name, const std::string& text) {
  Put("restart_args", name, Bytes(text.begin(), text.end()));
}

void RestartArgsSeeds() {
  PutText("client-line",
          R"(/F="/home/u/My Apps/hearthview" /D=10000 /C="/home/u/My Apps/hearthview.ex_" )"
          R"(/T="/home/u/My Apps/hearthview")");
  PutText("windows-line", R"(/F="C:\A B\p.exe" /D=10000 /C="C:\T\n.tmp" /T="C:\A B\p.exe")");
  const char split[] = "/F=/opt/A B/hv\0/D=0\0/C=/opt/A B/hv.ex_\0/T=/opt/A B/hv";
  PutText("split-args", std::string(split, sizeof split - 1));
  PutText("bad-and-twice", "prog /Q=1 /F=a /F=b -m /Mx /d=\"5\" /M=\"0\" /A=x");
  PutText("response-files", "/D=1 @resp @other-file/T=t @@");
  PutText("long-value", "/C=\"/" + std::string(120, 'p') + "\" /ABCDEFGHIJKLMNOP=q");
}

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seed_maker <corpus folder>\n");
    return 2;
  }
  g_root = argv[1];
  std::string scratch = hv::fuzz::ScratchSubfolder("seeds");
  ClientReceiveSeeds();
  SettingsSeeds(scratch);
  PictureSeeds();
  ArchiveSeeds();
  SimSeeds();
  RestartArgsSeeds();
  return 0;
}
