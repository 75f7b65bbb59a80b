// The tune through libfluidsynth: a General MIDI sound font, our MIDI file,
// looped. The saver plays it live on a thread of its own; the tests render the
// same set-up into a WAV file.
#pragma once

#include <memory>
#include <string>

struct tune_synth;  // settings, synthesiser, sound font and MIDI player

// Builds the synthesiser, loads the sound font and queues the tune for
// `passes` plays (-1: for ever). sample_rate 0 keeps fluidsynth's default.
// Returns null and says why in `error` when something is missing or unreadable.
tune_synth* tune_open(const std::string& tune, const std::string& sound_font, int passes,
                      double sample_rate, std::string* error);
void tune_close(tune_synth* synth);

// Renders all passes into a WAV file through fluidsynth's file renderer.
bool tune_render_wav(tune_synth* synth, const std::string& path, std::string* error);

// The lock file that lets one orvane at a time play the tune for this user on
// the X display `display` (any screen of it): in $XDG_RUNTIME_DIR, else in
// /tmp with the user id in its name.
std::string tune_lock_path(const char* display);

// Live playback that never holds up the caller: taking the tune's lock,
// loading the sound font and opening the audio output happen on the player's
// thread, and a failure is one line on standard error, after which the player
// simply stays silent. While another player holds the lock this one waits,
// silent, and takes over when that one lets go.
class tune_player {
 public:
  tune_player();
  ~tune_player();  // stops as stop(500) does
  // An empty `lock_path` plays without asking anyone; `verbose` says on
  // standard error when it waits for the lock and when it starts to play.
  // With `wav_file`, the sound goes at its real pace into that WAV file
  // instead of the sound card, so that the live loop can be heard by a test.
  void start(const std::string& tune, const std::string& sound_font,
             const std::string& lock_path = "", bool verbose = false,
             const std::string& wav_file = std::string());
  // Asks the player to stop and waits up to `wait_ms` for it to let go of the
  // audio output; a player still stuck in the sound system is left behind.
  void stop(int wait_ms);
  // True once the player is making sound (tests and diagnostics).
  bool playing() const;
  // True once the player thread has finished, whether it played or failed.
  bool finished() const;

 private:
  struct shared;
  // The player's thread: waits its turn for the lock, plays until asked to
  // stop, then lets go of the sound output and the lock.
  static void play(std::shared_ptr<shared> st, const std::string& tune,
                   const std::string& sound_font, const std::string& lock_path, bool verbose,
                   const std::string& wav_file);
  std::shared_ptr<shared> state_;
};
