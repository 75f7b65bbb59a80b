// The tune through the player's own set-up, rendered to WAV files instead of
// a sound card, and the player's one line when it cannot play.
#include "tune_player.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gl_test_env.h"
#include "hack_process.h"
#include "main.h"

namespace {

const char* const kSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";
constexpr double kRate = 22050;

struct wav {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;  // interleaved
  double seconds() const { return rate && channels ? double(samples.size()) / channels / rate : 0; }
  // Root mean square over [from, to) seconds, in full-scale units.
  double rms(double from, double to) const {
    const size_t a = static_cast<size_t>(from * rate) * channels;
    const size_t b = std::min(samples.size(), static_cast<size_t>(to * rate) * channels);
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(samples[i]) * samples[i];
    return b > a ? std::sqrt(sum / (b - a)) / 32768.0 : 0;
  }
  // End of the last half second that is more than a whisper; the renderer
  // keeps going while the last notes ring out into silence.
  double audible_seconds() const {
    double end = 0;
    for (double t = 0; t < seconds(); t += 0.5)
      if (rms(t, t + 0.5) > 0.001) end = t + 0.5;
    return end;
  }
};

uint32_t le32(const std::string& b, size_t at) {
  return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t le16(const std::string& b, size_t at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; }
uint32_t be32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint8_t(b[at + 1]) << 16 | uint8_t(b[at + 2]) << 8 |
         uint8_t(b[at + 3]);
}

// A 16-bit PCM RIFF file, chunk by chunk.
bool read_wav(const std::string& path, wav* out) {
  const std::string b = read_file_bytes(path);
  if (b.size() < 12 || b.compare(0, 4, "RIFF") || b.compare(8, 4, "WAVE")) return false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const size_t size = le32(b, at + 4);
    if (id == "fmt ") {
      if (le16(b, at + 8) != 1 || le16(b, at + 22) != 16) return false;
      out->channels = le16(b, at + 10);
      out->rate = static_cast<int>(le32(b, at + 12));
    } else if (id == "data") {
      const size_t n = std::min(size, b.size() - at - 8) / 2;
      out->samples.resize(n);
      std::memcpy(out->samples.data(), b.data() + at + 8, n * 2);
    }
    at += 8 + size + (size & 1);
  }
  return out->channels > 0 && !out->samples.empty();
}

bool render(int passes, const std::string& path, std::string* error) {
  tune_synth* s = tune_open(asset_path("music.mid"), kSoundFont, passes, kRate, error);
  if (!s) return false;
  const bool ok = tune_render_wav(s, path, error);
  tune_close(s);
  return ok;
}

TEST(Tune, OnePassIsSixtySecondsOfSoundAndTheLoopPlaysItAgain) {
  temp_dir dir;
  std::string error;
  ASSERT_TRUE(render(1, dir.file("once.wav"), &error)) << error;
  ASSERT_TRUE(render(2, dir.file("twice.wav"), &error)) << error;
  wav once, twice;
  ASSERT_TRUE(read_wav(dir.file("once.wav"), &once));
  ASSERT_TRUE(read_wav(dir.file("twice.wav"), &twice));
  EXPECT_EQ(static_cast<int>(kRate), once.rate);
  EXPECT_NEAR(60.5, once.audible_seconds(), 1.0);
  EXPECT_NEAR(120.5, twice.audible_seconds(), 1.5);

  // Audible but not clipping, all through the tune.
  const double level = once.rms(0, 60);
  EXPECT_GT(level, 0.005);
  EXPECT_LT(level, 0.5);
  for (double t = 0; t + 10 <= 60; t += 10) EXPECT_GT(once.rms(t, t + 10), 0.002) << t;

  // The second pass starts as the first ends and opens as the first did.
  const double opening = once.rms(0, 5);
  EXPECT_NEAR(opening, twice.rms(60, 65), 0.3 * opening);
  for (double t = 60; t + 10 <= 120; t += 10) EXPECT_GT(twice.rms(t, t + 10), 0.002) << t;
}

TEST(Tune, MissingSoundFontOrTuneIsOneReasonNotACrash) {
  std::string error;
  EXPECT_EQ(nullptr, tune_open(asset_path("music.mid"), "/nonexistent/gm.sf2", 1, kRate, &error));
  EXPECT_EQ("cannot load the sound font /nonexistent/gm.sf2", error);

  temp_dir dir;
  write_file_bytes(dir.file("not.mid"), "MThd but not really");
  error.clear();
  EXPECT_EQ(nullptr, tune_open(dir.file("not.mid"), kSoundFont, 1, kRate, &error));
  EXPECT_EQ("cannot read the tune " + dir.file("not.mid") + " as a MIDI file", error);

  // Our own tune cut short: the last track's end is missing.
  const std::string whole = read_file_bytes(asset_path("music.mid"));
  write_file_bytes(dir.file("cut.mid"), whole.substr(0, whole.size() - 40));
  error.clear();
  EXPECT_EQ(nullptr, tune_open(dir.file("cut.mid"), kSoundFont, 1, kRate, &error));
  EXPECT_NE(std::string::npos, error.find("as a MIDI file")) << error;

  // Whole chunks, but one track short of what the header promises; and the
  // same count with a chunk that is not a track among them.
  size_t last = 14;
  for (size_t at = 14; at + 8 <= whole.size(); at += 8 + be32(whole, at + 4)) last = at;
  ASSERT_EQ("MTrk", whole.substr(last, 4));
  write_file_bytes(dir.file("short.mid"), whole.substr(0, last));
  std::string alien = whole;
  alien.replace(last, 4, "XTrk");
  write_file_bytes(dir.file("alien.mid"), alien);
  for (const char* name : {"short.mid", "alien.mid"}) {
    error.clear();
    EXPECT_EQ(nullptr, tune_open(dir.file(name), kSoundFont, 1, kRate, &error)) << name;
    EXPECT_EQ("cannot read the tune " + dir.file(name) + " as a MIDI file", error);
  }

  // A file that is not a sound font at all.
  error.clear();
  EXPECT_EQ(nullptr, tune_open(asset_path("music.mid"), asset_path("music.mid"), 1, kRate, &error));
  EXPECT_NE(std::string::npos, error.find("sound font"));
}

TEST(Tune, PlayerWithoutSoundFontPrintsOnlyItsLineAndStaysSilent) {
  stream_capture err(2);
  tune_player player;
  player.start(asset_path("music.mid"), "/nonexistent/gm.sf2");
  ASSERT_TRUE(wait_until_true([&] { return player.finished(); }, 20000));
  EXPECT_FALSE(player.playing());
  player.stop(1000);
  EXPECT_EQ("orvane: music off: cannot load the sound font /nonexistent/gm.sf2\n", err.text());
}

// One display, one lock: every screen of it shares the file, another display
// or another user (in /tmp) gets its own.
TEST(Tune, LockFileIsPerUserAndDisplay) {
  temp_dir runtime;
  const char* old = getenv("XDG_RUNTIME_DIR");
  const std::string saved = old ? old : "";
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  EXPECT_EQ(runtime.path() + "/orvane-tune-:1.lock", tune_lock_path(":1.0"));
  EXPECT_EQ(tune_lock_path(":1"), tune_lock_path(":1.1"));
  EXPECT_NE(tune_lock_path(":1"), tune_lock_path(":2"));
  EXPECT_EQ(runtime.path() + "/orvane-tune-host:10.lock", tune_lock_path("host:10.0"));
  setenv("XDG_RUNTIME_DIR", "/nonexistent/run", 1);
  EXPECT_EQ("/tmp/orvane-tune-" + std::to_string(getuid()) + "-:1.lock", tune_lock_path(":1.0"));
  // mate-screensaver's hacks run without it.
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ("/tmp/orvane-tune-" + std::to_string(getuid()) + "-:1.lock", tune_lock_path(":1.0"));
  if (old)
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
}

// While someone holds the tune's lock the player waits, saying so; when the
// lock is let go it goes on (here to its one line: there is no sound font).
TEST(Tune, PlayerWaitsForTheLockThenTakesOver) {
  temp_dir dir;
  const std::string lock = dir.file("tune.lock");
  const int held = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(0, flock(held, LOCK_EX | LOCK_NB));
  // Standard error into a file that can be read while the player runs.
  const std::string log = dir.file("stderr.txt");
  const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int saved = dup(2);
  dup2(log_fd, 2);
  auto said = [&](const char* text) {
    return read_file_bytes(log).find(text) != std::string::npos;
  };
  tune_player player;
  player.start(asset_path("music.mid"), "/nonexistent/gm.sf2", lock, true);
  const bool waited =
      wait_until_true([&] { return said("another orvane plays the tune"); }, 20000);
  const bool finished_while_held = player.finished();
  close(held);
  const bool finished = wait_until_true([&] { return player.finished(); }, 20000);
  dup2(saved, 2);
  close(saved);
  close(log_fd);
  EXPECT_TRUE(waited) << read_file_bytes(log);
  EXPECT_FALSE(finished_while_held);
  ASSERT_TRUE(finished) << read_file_bytes(log);
  EXPECT_TRUE(said("orvane: music off: cannot load the sound font")) << read_file_bytes(log);
  // The player let go of the lock again.
  const int again = open(lock.c_str(), O_RDWR);
  EXPECT_EQ(0, flock(again, LOCK_EX | LOCK_NB));
  close(again);
}

}  // namespace

namespace {

// One second of tune: a short drum hit at its start, then rest until the end
// of the track. 120 beats a minute, 480 ticks a beat.
std::string one_second_tune() {
  const std::string events = std::string("\x00\x99\x26\x64", 4) +  // snare on
                             std::string("\x60\x89\x26\x40", 4) +  // off 96 ticks later
                             std::string("\x86\x60\xff\x2f\x00", 5);  // end at 960
  std::string track = "MTrk";
  for (int shift : {24, 16, 8, 0}) track += static_cast<char>(events.size() >> shift);
  return std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xe0", 14) + track + events;
}

}  // namespace

// The saver's own player, live: the tune starts again whenever it ends, for as
// long as the saver runs.
TEST(Tune, LivePlayerLoopsTheTuneUntilStopped) {
  temp_dir dir;
  write_file_bytes(dir.file("beat.mid"), one_second_tune());
  const std::string out = dir.file("live.wav");
  tune_player player;
  player.start(dir.file("beat.mid"), kSoundFont, "", false, out);
  ASSERT_TRUE(wait_until_true([&] { return player.playing() || player.finished(); }, 30000));
  ASSERT_TRUE(player.playing());
  // 44100 frames a second, two 16-bit channels: wait for four seconds of sound.
  ASSERT_TRUE(wait_until_true([&] { return read_file_bytes(out).size() > 4u * 44100 * 4; }, 60000));
  player.stop(10000);
  ASSERT_TRUE(player.finished());
  wav live;
  ASSERT_TRUE(read_wav(out, &live));
  ASSERT_GE(live.seconds(), 4.0);
  // Every second opens with the hit and falls quiet before the next one.
  const double hit = live.rms(0, 0.2);
  EXPECT_GT(hit, 0.002);
  for (int pass = 1; pass < 4; ++pass) {
    EXPECT_GT(live.rms(pass, pass + 0.2), 0.3 * hit) << pass;
    EXPECT_LT(live.rms(pass - 0.2, pass - 0.02), 0.3 * hit) << pass;
  }
}
