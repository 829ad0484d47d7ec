#pragma once
// MoviePlayer on libmpv.
//
// Each opened video is probed once by OpenVideo on a short-lived, windowless
// mpv instance (vo=null, ao=null) that checks the file has a picture and reads
// its length; PlayInWindow then starts the real instance embedded in the given
// X11 window (mpv's "wid"), since mpv fixes its output window when it starts.
//
// Output choices come from the environment so tests and benchmarks can pin
// them: VOKABINO_MPV_VO (default "gpu,x11": the GPU output, or plain X11 where
// no GL is usable, as under Xvfb) and VOKABINO_MPV_AO (default: mpv's own
// choice, which falls back to no sound when there is no device).
//
// The picture fills the whole native window it is given; SetPictureRect
// records the rectangle, which the player's only caller makes equal to that
// window.
#include <memory>
#include <vector>

#include "platform/movie_player.h"

struct mpv_handle;

namespace vokabino {

class MpvPlayer final : public MoviePlayer {
 public:
  MpvPlayer();
  ~MpvPlayer() override;
  MpvPlayer(const MpvPlayer&) = delete;
  MpvPlayer& operator=(const MpvPlayer&) = delete;

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

  struct Video;

 private:
  Video* Find(VideoHandle video);
  bool initialised_ = false;
  std::vector<std::unique_ptr<Video>> videos_;  // handle n is videos_[n - 1]
};

}  // namespace vokabino
