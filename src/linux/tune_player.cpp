#include "tune_player.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

struct tune_synth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
};

namespace {

// fluidsynth's own messages would repeat ours in its words; one line is enough.
void quiet_fluidsynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid_set_log_function(level, nullptr, nullptr);
  });
}

uint32_t be32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint8_t(b[at + 1]) << 16 | uint8_t(b[at + 2]) << 8 |
         uint8_t(b[at + 3]);
}

// fluidsynth looks only at the first four bytes before it queues a file and
// finds out at play time, silently, that the rest is broken: check the header
// and that every promised track is there, whole.
bool midi_file_is_whole(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string b;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0 && b.size() < (64u << 20)) b.append(chunk, n);
  fclose(f);
  if (b.size() < 14 || b.compare(0, 4, "MThd") != 0 || be32(b, 4) != 6) return false;
  const unsigned tracks = uint8_t(b[10]) << 8 | uint8_t(b[11]);
  unsigned found = 0;
  for (size_t at = 14; at + 8 <= b.size();) {
    const uint32_t size = be32(b, at + 4);
    if (size > b.size() - at - 8) return false;
    if (b.compare(at, 4, "MTrk") == 0) ++found;
    at += 8 + size;
  }
  return tracks > 0 && found >= tracks;
}

}  // namespace

tune_synth* tune_open(const std::string& tune, const std::string& sound_font, int passes,
                      double sample_rate, std::string* error) {
  quiet_fluidsynth();
  if (!fluid_is_soundfont(sound_font.c_str())) {
    *error = "cannot load the sound font " + sound_font;
    return nullptr;
  }
  if (!midi_file_is_whole(tune)) {
    *error = "cannot read the tune " + tune + " as a MIDI file";
    return nullptr;
  }
  auto* s = new tune_synth;
  s->settings = new_fluid_settings();
  if (sample_rate > 0) fluid_settings_setnum(s->settings, "synth.sample-rate", sample_rate);
  s->synth = s->settings ? new_fluid_synth(s->settings) : nullptr;
  if (!s->synth) {
    *error = "cannot start the synthesiser";
    tune_close(s);
    return nullptr;
  }
  if (fluid_synth_sfload(s->synth, sound_font.c_str(), 1) == FLUID_FAILED) {
    *error = "cannot load the sound font " + sound_font;
    tune_close(s);
    return nullptr;
  }
  s->player = new_fluid_player(s->synth);
  if (!s->player || fluid_player_add(s->player, tune.c_str()) != FLUID_OK) {
    *error = "cannot read the tune " + tune + " as a MIDI file";
    tune_close(s);
    return nullptr;
  }
  fluid_player_set_loop(s->player, passes);
  fluid_player_play(s->player);
  return s;
}

void tune_close(tune_synth* s) {
  if (!s) return;
  if (s->player) {
    fluid_player_stop(s->player);
    delete_fluid_player(s->player);
  }
  if (s->synth) delete_fluid_synth(s->synth);
  if (s->settings) delete_fluid_settings(s->settings);
  delete s;
}

bool tune_render_wav(tune_synth* s, const std::string& path, std::string* error) {
  fluid_settings_setstr(s->settings, "audio.file.name", path.c_str());
  fluid_settings_setstr(s->settings, "audio.file.type", "wav");
  fluid_file_renderer_t* renderer = new_fluid_file_renderer(s->synth);
  if (!renderer) {
    *error = "cannot write " + path;
    return false;
  }
  bool ok = true;
  while (fluid_player_get_status(s->player) == FLUID_PLAYER_PLAYING) {
    if (fluid_file_renderer_process_block(renderer) != FLUID_OK) {
      *error = "cannot write " + path;
      ok = false;
      break;
    }
  }
  delete_fluid_file_renderer(renderer);
  return ok;
}

struct tune_player::shared {
  std::mutex lock;
  std::condition_variable changed;
  bool stop_requested = false;
  bool playing = false;
  bool finished = true;
};

tune_player::tune_player() : state_(std::make_shared<shared>()) {}

tune_player::~tune_player() { stop(500); }

std::string tune_lock_path(const char* display) {
  // ":1", ":1.0" and ":1.1" are one display with one pair of speakers.
  std::string name = display ? display : "";
  const size_t colon = name.rfind(':');
  const size_t dot = name.find('.', colon == std::string::npos ? 0 : colon);
  if (colon != std::string::npos && dot != std::string::npos) name.resize(dot);
  for (char& c : name)
    if (c == '/') c = '_';
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime && *runtime == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
    return std::string(runtime) + "/orvane-tune-" + name + ".lock";
  return "/tmp/orvane-tune-" + std::to_string(getuid()) + "-" + name + ".lock";
}

void tune_player::start(const std::string& tune, const std::string& sound_font,
                        const std::string& lock_path, bool verbose,
                        const std::string& wav_file) {
  {
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->stop_requested = false;
    state_->playing = false;
    state_->finished = false;
  }
  // The thread holds its own reference: if it is still stuck in the sound
  // system when we give up waiting, it outlives this object safely.
  std::thread(play, state_, tune, sound_font, lock_path, verbose, wav_file).detach();
}

void tune_player::play(std::shared_ptr<shared> st, const std::string& tune,
                       const std::string& sound_font, const std::string& lock_path, bool verbose,
                       const std::string& wav_file) {
  // The lock is ours until this thread ends (or the process does): closing
  // the file lets a waiting player on the same display take over.
  int lock_fd = -1;
  if (!lock_path.empty())
    lock_fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool said_waiting = false;
  bool stopped = false;
  while (lock_fd >= 0 && flock(lock_fd, LOCK_EX | LOCK_NB) != 0) {
    if (verbose && !said_waiting)
      fprintf(stderr, "orvane: another orvane plays the tune on this display; waiting\n");
    said_waiting = true;
    std::unique_lock<std::mutex> hold(st->lock);
    if (st->changed.wait_for(hold, std::chrono::milliseconds(250),
                             [&] { return st->stop_requested; })) {
      stopped = true;
      break;
    }
  }
  std::string error;
  tune_synth* s = stopped ? nullptr : tune_open(tune, sound_font, -1, 0, &error);
  fluid_audio_driver_t* driver = nullptr;
  if (s) {
    std::unique_lock<std::mutex> hold(st->lock);
    if (!st->stop_requested) {
      hold.unlock();
      if (!wav_file.empty()) {
        fluid_settings_setstr(s->settings, "audio.driver", "file");
        fluid_settings_setstr(s->settings, "audio.file.name", wav_file.c_str());
      }
      driver = new_fluid_audio_driver(s->settings, s->synth);
      if (!driver) error = "no audio output could be opened";
    }
  }
  if (!error.empty()) fprintf(stderr, "orvane: music off: %s\n", error.c_str());
  if (driver && verbose) fprintf(stderr, "orvane: playing the tune\n");
  std::unique_lock<std::mutex> hold(st->lock);
  st->playing = driver != nullptr;
  st->changed.notify_all();
  st->changed.wait(hold, [&] { return st->stop_requested || !driver; });
  hold.unlock();
  if (driver) delete_fluid_audio_driver(driver);
  tune_close(s);
  if (lock_fd >= 0) close(lock_fd);
  hold.lock();
  st->playing = false;
  st->finished = true;
  st->changed.notify_all();
}

void tune_player::stop(int wait_ms) {
  std::unique_lock<std::mutex> hold(state_->lock);
  state_->stop_requested = true;
  state_->changed.notify_all();
  state_->changed.wait_for(hold, std::chrono::milliseconds(wait_ms),
                           [&] { return state_->finished; });
}

bool tune_player::playing() const {
  std::lock_guard<std::mutex> hold(state_->lock);
  return state_->playing;
}

bool tune_player::finished() const {
  std::lock_guard<std::mutex> hold(state_->lock);
  return state_->finished;
}
