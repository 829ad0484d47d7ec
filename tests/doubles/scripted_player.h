#pragma once
// A MoviePlayer driven by a scripted clock. Playing, paused and stopped
// behave as the real player's contract says; the test moves the clock with
// Advance, or scripts exact PlaybackStatus readings with statusScript.
#include <deque>
#include <string>
#include <vector>

#include "platform/movie_player.h"

namespace vokabino {

class ScriptedPlayer final : public MoviePlayer {
 public:
  explicit ScriptedPlayer(std::vector<std::string>* log = nullptr) : log_(log) {}

  // --- script ---
  bool initResult = true;
  bool openResult = true;
  MediaTime length = 60 * kTicksPerSecond;  // where playback ends
  std::int32_t frames = 1439;
  // When not empty, each PlaybackStatus call returns the next value instead.
  std::deque<MediaTime> statusScript;
  // Moves the clock forward by ticks while playing.
  void Advance(MediaTime ticks);

  // --- state and records ---
  enum class State { Stopped, Playing, Paused };
  State state = State::Stopped;
  MediaTime position = 0;
  bool seekedWhilePaused = false;
  std::vector<Text> opened;
  std::vector<MediaTime> seeks;
  int pauses = 0, resumes = 0, statusReads = 0, releaseCount = 0;
  std::uintptr_t playWindow = 0;
  int rect[4] = {0, 0, 0, 0};

  bool InitPlayer() override;
  VideoHandle OpenVideo(const Text& path) override;
  void SetPictureRect(VideoHandle video, int x, int y, int width, int height) override;
  bool PlayInWindow(VideoHandle video, std::uintptr_t nativeWindow) override;
  MediaTime PlaybackStatus(VideoHandle video) override;
  MediaTime Position(VideoHandle video) override;
  std::int32_t FrameCount(VideoHandle video) override;
  void PausePlayback(VideoHandle video) override;
  void ResumePlayback(VideoHandle video) override;
  void SeekTo(VideoHandle video, MediaTime position) override;
  void ReleaseAll() override;

 private:
  void Log(const std::string& line) {
    if (log_) log_->push_back(line);
  }
  std::vector<std::string>* log_;
};

}  // namespace vokabino
