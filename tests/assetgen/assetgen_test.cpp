#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "gl_test_env.h"

namespace {

std::string data_file(const std::string& name) {
  const char* dir = std::getenv("ORVANE_DATA_DIR");
  return std::string(dir ? dir : ".") + "/" + name;
}

// Runs the generator; returns its exit status and fills err with its stderr.
int run_generator(const std::string& arg, std::string* err) {
  temp_dir scratch;
  const std::string err_path = scratch.file("stderr");
  const std::string cmd = std::string("'") + ORVANE_ASSETGEN + "' " +
                          (arg.empty() ? "" : "'" + arg + "'") + " 2>'" + err_path + "'";
  const int status = std::system(cmd.c_str());
  *err = read_file_bytes(err_path);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool power_of_two(int n) { return n > 0 && (n & (n - 1)) == 0; }

struct ppm {
  std::string magic;
  int width = 0, height = 0, max_value = 0;
  std::vector<int> samples;
  size_t longest_line = 0;
};

ppm read_ppm(const std::string& path) {
  ppm pic;
  std::istringstream lines(read_file_bytes(path));
  std::string line, tokens;
  while (std::getline(lines, line)) {
    pic.longest_line = std::max(pic.longest_line, line.size());
    if (line.empty() || line[0] != '#') tokens += line + "\n";
  }
  std::istringstream in(tokens);
  in >> pic.magic >> pic.width >> pic.height >> pic.max_value;
  for (int v; in >> v;) pic.samples.push_back(v);
  return pic;
}

// Checks what the saver's loader insists on, and that nothing is left over.
void expect_loadable(const ppm& pic, const std::string& name) {
  SCOPED_TRACE(name);
  EXPECT_EQ(pic.magic, "P3");
  EXPECT_TRUE(power_of_two(pic.width)) << pic.width;
  EXPECT_TRUE(power_of_two(pic.height)) << pic.height;
  EXPECT_EQ(pic.max_value, 255);
  ASSERT_EQ(pic.samples.size(), size_t(pic.width) * pic.height * 3);
  EXPECT_LT(pic.longest_line, 70u);
  EXPECT_EQ(*std::min_element(pic.samples.begin(), pic.samples.end()), 0);
  EXPECT_LE(*std::max_element(pic.samples.begin(), pic.samples.end()), 255);
}

// How the two pictures look is pinned by their bytes (WritesThePinnedBytes);
// what the saver's loader needs of them must hold whatever they show.
TEST(AssetPictures, LoadableAsTheSaverReadsThem) {
  const ppm sprite = read_ppm(data_file("supernova.ppm"));
  expect_loadable(sprite, "supernova.ppm");
  EXPECT_EQ(sprite.width, sprite.height);
  const ppm title = read_ppm(data_file("Orvane.ppm"));
  expect_loadable(title, "Orvane.ppm");
  EXPECT_EQ(title.width, 512);
  EXPECT_EQ(title.height, 512);
}

// Reads a Standard MIDI File as strictly as a player would.
struct midi_summary {
  std::string error;
  int format = -1, division = 0;
  size_t tracks = 0;
  double seconds = 0.0;
  int note_ons = 0, unmatched = 0, loose_ends = 0;
  std::set<int> channels_with_program, channels_with_notes;
  std::set<uint32_t> end_ticks;
};

midi_summary read_midi(const std::string& bytes) {
  midi_summary m;
  size_t pos = 0;
  auto u8 = [&](size_t at) { return at < bytes.size() ? uint8_t(bytes[at]) : 0xffu; };
  auto be = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | u8(at + i);
    return v;
  };
  if (bytes.compare(0, 4, "MThd") != 0 || be(4, 4) != 6) return m.error = "bad header", m;
  m.format = int(be(8, 2));
  const uint32_t declared = be(10, 2);
  m.division = int(be(12, 2));
  if (m.division <= 0 || m.division >= 0x8000) return m.error = "bad division", m;
  pos = 14;
  std::map<uint32_t, uint32_t> tempo;  // tick -> microseconds per quarter
  uint32_t last_end = 0;
  while (pos < bytes.size()) {
    if (pos + 8 > bytes.size() || bytes.compare(pos, 4, "MTrk") != 0)
      return m.error = "bad chunk at " + std::to_string(pos), m;
    const size_t end = pos + 8 + be(pos + 4, 4);
    if (end > bytes.size()) return m.error = "chunk runs past the file", m;
    pos += 8;
    ++m.tracks;
    uint32_t tick = 0;
    int running = 0;
    bool ended = false;
    std::map<int, int> open;  // channel * 128 + key -> notes sounding
    auto vlq = [&](uint32_t* out) {
      *out = 0;
      for (int i = 0; i < 4; ++i) {
        if (pos >= end) return false;
        const uint8_t b = u8(pos++);
        *out = *out << 7 | (b & 0x7f);
        if (!(b & 0x80)) return true;
      }
      return false;
    };
    while (pos < end) {
      if (ended) return m.error = "events after end of track", m;
      uint32_t delta = 0, len = 0;
      if (!vlq(&delta)) return m.error = "bad delta time", m;
      tick += delta;
      int status = u8(pos);
      if (status & 0x80) {
        ++pos;
      } else if (running) {
        status = running;
      } else {
        return m.error = "data byte with no running status", m;
      }
      if (status == 0xff) {
        const int type = u8(pos++);
        if (!vlq(&len) || pos + len > end) return m.error = "bad meta length", m;
        if (type == 0x51 && len == 3) tempo[tick] = be(pos, 3);
        if (type == 0x2f)
          ended = true, m.end_ticks.insert(tick), last_end = std::max(last_end, tick);
        pos += len;
        running = 0;
      } else if (status >= 0xf0) {
        return m.error = "unexpected system message", m;
      } else {
        running = status;
        const int kind = status & 0xf0, ch = status & 0x0f;
        const int count = (kind == 0xc0 || kind == 0xd0) ? 1 : 2;
        if (pos + count > end) return m.error = "truncated channel message", m;
        for (int i = 0; i < count; ++i)
          if (u8(pos + i) & 0x80) return m.error = "status byte inside a message", m;
        const int key = u8(pos), velocity = count == 2 ? u8(pos + 1) : 0;
        pos += count;
        if (kind == 0xc0) m.channels_with_program.insert(ch);
        if (kind == 0x90 && velocity > 0) {
          ++m.note_ons;
          ++open[ch * 128 + key];
          m.channels_with_notes.insert(ch);
        } else if (kind == 0x80 || kind == 0x90) {
          if (open[ch * 128 + key]-- <= 0) ++m.unmatched;
        }
      }
    }
    if (!ended) return m.error = "track without end-of-track", m;
    for (const auto& o : open) m.loose_ends += std::max(0, o.second);
  }
  if (m.tracks != declared) return m.error = "header track count differs", m;

  uint32_t at = 0, us = 500000;
  for (const auto& t : tempo) {
    if (t.first >= last_end) break;
    m.seconds += double(t.first - at) * us / m.division / 1e6;
    at = t.first, us = t.second;
  }
  m.seconds += double(last_end - at) * us / m.division / 1e6;
  return m;
}

TEST(AssetTune, WellFormedMinuteLongLoop) {
  const std::string bytes = read_file_bytes(data_file("music.mid"));
  const midi_summary m = read_midi(bytes);
  ASSERT_EQ(m.error, "");
  // The reader itself must notice a cut file.
  EXPECT_NE(read_midi(bytes.substr(0, bytes.size() - 1)).error, "");
  EXPECT_TRUE(m.format == 0 || m.format == 1);
  // Sixteen bars at 64 beats a minute: the loop is a minute long.
  EXPECT_NEAR(m.seconds, 60.0, 0.01);
  EXPECT_GT(m.note_ons, 100);
  EXPECT_EQ(m.unmatched, 0) << "note-offs without a sounding note";
  EXPECT_EQ(m.loose_ends, 0) << "notes still sounding at the end";
  EXPECT_GE(m.channels_with_notes.size(), 3u);
  for (int ch : m.channels_with_notes) EXPECT_TRUE(m.channels_with_program.count(ch)) << ch;
  // Every track stops on the same whole bar, so the restart lands on the beat.
  ASSERT_EQ(m.end_ticks.size(), 1u);
  EXPECT_EQ(*m.end_ticks.begin() % uint32_t(m.division * 4), 0u);
}

TEST(AssetIcon, DirectoryMatchesItsImages) {
  const std::string ico = read_file_bytes(data_file("orvane.ico"));
  auto u16 = [&](size_t at) { return uint8_t(ico.at(at)) | uint8_t(ico.at(at + 1)) << 8; };
  auto u32 = [&](size_t at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(u16(0), 0);
  EXPECT_EQ(u16(2), 1);
  const int count = u16(4);
  ASSERT_GE(ico.size(), 6u + 16u * count);
  std::set<int> sizes;
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  for (int i = 0; i < count; ++i) {
    const size_t e = 6 + 16 * i;
    const int w = uint8_t(ico[e]), h = uint8_t(ico[e + 1]);
    const uint32_t bytes = u32(e + 8), offset = u32(e + 12);
    SCOPED_TRACE("image " + std::to_string(w));
    sizes.insert(w);
    EXPECT_EQ(w, h);
    EXPECT_EQ(u16(e + 4), 1);
    EXPECT_EQ(u16(e + 6), 32);
    ASSERT_LE(size_t(offset) + bytes, ico.size());
    ASSERT_GE(offset, 6u + 16u * count);
    spans.push_back({offset, offset + bytes});
    // The DIB: header, BGRA rows, then a 1-bit mask with rows padded to 4 bytes.
    EXPECT_EQ(u32(offset), 40u);
    EXPECT_EQ(int(u32(offset + 4)), w);
    EXPECT_EQ(int(u32(offset + 8)), 2 * h);
    EXPECT_EQ(u16(offset + 14), 32);
    EXPECT_EQ(u32(offset + 16), 0u);
    const uint32_t mask_stride = (w + 31) / 32 * 4;
    EXPECT_EQ(bytes, 40u + w * h * 4 + mask_stride * h);
    // Corners transparent in both alpha and mask; the middle opaque.
    const size_t pixels = offset + 40, mask = pixels + w * h * 4;
    EXPECT_EQ(uint8_t(ico[pixels + 3]), 0);
    EXPECT_TRUE(uint8_t(ico[mask]) & 0x80);
    EXPECT_EQ(uint8_t(ico[pixels + ((h / 2) * w + w / 2) * 4 + 3]), 255);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32}));
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i) EXPECT_LE(spans[i - 1].second, spans[i].first);
}

// Any change to how the four files look or sound changes their bytes. When
// the change is meant, print the new sums as CONTRIBUTING.md says and commit them.
TEST(AssetGenerator, WritesThePinnedBytes) {
  temp_dir out;
  std::string err;
  ASSERT_EQ(run_generator(out.path(), &err), 0) << err;
  for (const std::string& dir : {out.path(), data_file("")}) {
    const std::string cmd = "cd '" + dir + "' && sha256sum --strict --quiet -c '" +
                            ORVANE_ASSET_SUMS + "' >'" + out.file("sums.txt") + "' 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << dir << ":\n" << read_file_bytes(out.file("sums.txt"));
  }
}

TEST(AssetGenerator, FailsClearlyWhenItCannotWrite) {
  temp_dir scratch;
  write_file_bytes(scratch.file("plain"), "not a folder");
  std::string err;
  // A folder inside a regular file cannot exist, even for root.
  const std::string target = scratch.file("plain") + "/data";
  EXPECT_NE(run_generator(target, &err), 0);
  EXPECT_NE(err.find(target), std::string::npos) << err;
  EXPECT_NE(err.find("cannot"), std::string::npos) << err;

  EXPECT_NE(run_generator("", &err), 0);
  EXPECT_NE(err.find("usage"), std::string::npos) << err;

  // A folder in the place of one file: that file cannot be put there, the
  // run fails saying which, and no half-made file is left behind.
  temp_dir out;
  std::filesystem::create_directories(out.file("music.mid") + "/taken");
  EXPECT_NE(run_generator(out.path(), &err), 0);
  EXPECT_NE(err.find(out.file("music.mid")), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(out.file("music.mid.tmp")));
  EXPECT_TRUE(std::filesystem::is_directory(out.file("music.mid")));
}

}  // namespace
