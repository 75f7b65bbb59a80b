#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "assets.h"

namespace assetgen {
namespace {

const int kTicksPerQuarter = 480;
const int kEighth = kTicksPerQuarter / 2;
const int kBar = kTicksPerQuarter * 4;
const int kBars = 16;
// 64 beats a minute: sixteen bars of 4/4 last exactly 60 seconds.
const uint32_t kMicrosPerQuarter = 937500;

struct event {
  int tick;
  int order;  // at one tick: set-up first, then releases, then new notes
  std::string bytes;
};

class track {
 public:
  void meta(int tick, int type, const std::string& data) {
    std::string b = {'\xff', static_cast<char>(type)};
    b += static_cast<char>(data.size());
    events_.push_back({tick, 0, b + data});
  }
  void control(int tick, int channel, int controller, int value) {
    events_.push_back({tick, 0, bytes(0xb0 | channel, controller, value)});
  }
  void program(int tick, int channel, int prog) {
    events_.push_back({tick, 0, {static_cast<char>(0xc0 | channel), static_cast<char>(prog)}});
  }
  void note(int tick, int length, int channel, int key, int velocity) {
    events_.push_back({tick, 2, bytes(0x90 | channel, key, velocity)});
    events_.push_back({tick + length, 1, bytes(0x80 | channel, key, 0x40)});
  }

  // MTrk chunk with running status; ends with end-of-track at end_tick.
  std::string encode(int end_tick) const {
    std::vector<event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const event& a, const event& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string data;
    int now = 0;
    unsigned char status = 0;
    for (const event& e : sorted) {
      data += vlq(e.tick - now);
      now = e.tick;
      const unsigned char s = static_cast<unsigned char>(e.bytes[0]);
      if (s < 0xf0 && s == status) {
        data += e.bytes.substr(1);
      } else {
        data += e.bytes;
        status = s < 0xf0 ? s : 0;  // meta events cancel running status
      }
    }
    data += vlq(end_tick - now) + std::string("\xff\x2f\x00", 3);
    return "MTrk" + be32(static_cast<uint32_t>(data.size())) + data;
  }

  static std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
  }

 private:
  static std::string bytes(int a, int b, int c) {
    return {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
  }
  static std::string vlq(int value) {
    uint32_t v = static_cast<uint32_t>(value);
    std::string out(1, static_cast<char>(v & 0x7f));
    while (v >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7f)));
    return out;
  }
  std::vector<event> events_;
};

// "C#5" -> 73, with middle C as C4 = 60.
int key_of(const std::string& name) {
  static const int steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int key = steps[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') ++key, ++i;
  if (name[i] == 'b') --key, ++i;
  return key + 12 * (std::atoi(name.c_str() + i) + 1);
}

struct chord {
  const char* bass;
  std::vector<const char*> pad;  // low to high
};

// D aeolian, four four-bar phrases; the last bar sits on A so the loop
// falls back onto D minor at the start.
const chord kChords[kBars] = {
    {"D2", {"D3", "A3", "E4", "F4"}},   {"Bb1", {"Bb2", "F3", "A3", "D4"}},
    {"F2", {"F3", "A3", "C4", "E4"}},   {"C2", {"C3", "G3", "D4", "E4"}},
    {"D2", {"D3", "A3", "E4", "F4"}},   {"Bb1", {"Bb2", "F3", "A3", "D4"}},
    {"G1", {"G3", "Bb3", "D4", "F4"}},  {"A1", {"A2", "E3", "A3", "C#4"}},
    {"Bb1", {"Bb2", "F3", "A3", "D4"}}, {"A1", {"A2", "F3", "C4", "E4"}},
    {"G1", {"G3", "Bb3", "D4", "F4"}},  {"D2", {"D3", "A3", "E4", "F4"}},
    {"Bb1", {"Bb2", "F3", "A3", "D4"}}, {"C2", {"C3", "G3", "D4", "E4"}},
    {"A1", {"A2", "E3", "A3", "D4"}},   {"A1", {"A2", "E3", "A3", "C#4"}},
};

// The melody, one bar per string, each note as name:eighths ("r" rests).
const char* const kMelody[kBars] = {
    "r:2 A4:2 D5:2 E5:2",
    "F5:6 E5:2",
    "C5:4 A4:2 C5:2",
    "G4:8",
    "r:2 A4:2 D5:2 E5:2",
    "F5:4 G5:2 F5:2",
    "D5:4 Bb4:2 D5:2",
    "E5:6 C#5:2",
    "D5:4 F5:4",
    "A5:6 G5:2",
    "F5:4 D5:2 F5:2",
    "E5:4 D5:4",
    "r:2 D5:2 F5:2 A5:2",
    "G5:6 E5:2",
    "D5:8",
    "C#5:4 E5:4",
};

enum channel { pad_ch = 0, arp_ch = 1, melody_ch = 2, bass_ch = 3 };

void set_up(track& t, const char* name, int ch, int program, int volume, int pan) {
  t.meta(0, 0x03, name);
  t.program(0, ch, program);
  t.control(0, ch, 7, volume);
  t.control(0, ch, 10, pan);
  t.control(0, ch, 91, 80);  // plenty of reverb: it is a nebula
}

}  // namespace

std::string make_tune() {
  const int end = kBars * kBar;
  track tempo, pad, arp, melody, bass;
  tempo.meta(0, 0x03, "Orvane");
  tempo.meta(0, 0x51, track::be32(kMicrosPerQuarter).substr(1));
  tempo.meta(0, 0x58, std::string("\x04\x02\x18\x08", 4));
  tempo.meta(0, 0x59, std::string("\xff\x01", 2));  // one flat, minor: D minor

  set_up(pad, "Pad", pad_ch, 89, 84, 64);   // warm pad
  set_up(arp, "Harp", arp_ch, 46, 70, 40);  // orchestral harp
  set_up(melody, "Celesta", melody_ch, 8, 100, 84);
  set_up(bass, "Bass", bass_ch, 35, 92, 64);  // fretless bass
  pad.control(0, pad_ch, 93, 40);

  static const int arp_pattern[8] = {0, 1, 2, 3, 4, 3, 2, 1};
  for (int bar = 0; bar < kBars; ++bar) {
    const int start = bar * kBar;
    const chord& c = kChords[bar];
    for (const char* n : c.pad) pad.note(start, kBar, pad_ch, key_of(n), 50);

    std::vector<int> tones;
    for (const char* n : c.pad) tones.push_back(key_of(n) + 12);
    tones.push_back(tones[1] + 12);
    for (int i = 0; i < 8; ++i) {
      const int velocity = (i % 4 == 0) ? 46 : (i % 2 == 0 ? 40 : 34);
      arp.note(start + i * kEighth, kEighth, arp_ch, tones[arp_pattern[i]], velocity);
    }

    const int root = key_of(c.bass);
    bass.note(start, 6 * kEighth, bass_ch, root, 70);
    bass.note(start + 6 * kEighth, 2 * kEighth, bass_ch, root + 7, 58);

    std::istringstream notes(kMelody[bar]);
    std::string item;
    int at = start;
    bool first = true;
    while (notes >> item) {
      const size_t colon = item.find(':');
      const int length = std::atoi(item.c_str() + colon + 1) * kEighth;
      const std::string name = item.substr(0, colon);
      if (name != "r") {
        // A short breath before the next note keeps the bell line articulate.
        melody.note(at, length - 24, melody_ch, key_of(name), first ? 80 : 70);
      }
      first = false;
      at += length;
    }
  }

  std::string out = "MThd" + track::be32(6);
  out += std::string("\x00\x01\x00\x05", 4);  // format 1, five tracks
  out += static_cast<char>(kTicksPerQuarter >> 8);
  out += static_cast<char>(kTicksPerQuarter & 0xff);
  for (const track* t : {&tempo, &pad, &arp, &melody, &bass}) out += t->encode(end);
  return out;
}

}  // namespace assetgen
