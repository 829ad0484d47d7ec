#pragma once
// MoviePlayer: opens one video file and plays its picture inside a native
// window of the UiToolkit, reports the position, pauses, resumes and seeks.
//
// Threading: every call comes from the one GUI thread.
// Units: positions are MediaTime, signed 64-bit counts of 100 ns ticks
// (10,000,000 a second); rectangles are pixels of the hosting window.
// Failure: a handle of 0 (or of no open video) makes every call do nothing and
// give 0; nothing throws.
#include <cstdint>

#include "text/text.h"

namespace vokabino {

using MediaTime = std::int64_t;
inline constexpr MediaTime kTicksPerSecond = 10'000'000;

// 0 is no video.
using VideoHandle = int;

class MoviePlayer {
 public:
  virtual ~MoviePlayer() = default;

  // Called once before any other; false when playback is unavailable.
  virtual bool InitPlayer() = 0;
  // Opens the file stopped; 0 when it cannot be opened as a video (missing
  // file, directory, no video stream).
  virtual VideoHandle OpenVideo(const Text& path) = 0;
  // The picture fills this rectangle of the window it plays in, also when set
  // before PlayInWindow.
  virtual void SetPictureRect(VideoHandle video, int x, int y, int width, int height) = 0;
  // The picture becomes a visible child of nativeWindow and plays from the
  // start. False for a handle of no open video.
  virtual bool PlayInWindow(VideoHandle video, std::uintptr_t nativeWindow) = 0;
  // -1 paused, 0 stopped (also at or past the end, after which the video is
  // rewound and stays stopped, and when the state cannot be told), else the
  // current position (a value above 0 means playing).
  virtual MediaTime PlaybackStatus(VideoHandle video) = 0;
  // The position whatever the state (also while paused); 0 when unknown or
  // before playback started.
  virtual MediaTime Position(VideoHandle video) = 0;
  // Length in video frames; 0 when unknown.
  virtual std::int32_t FrameCount(VideoHandle video) = 0;
  // Acts only while playing.
  virtual void PausePlayback(VideoHandle video) = 0;
  // Acts only while paused.
  virtual void ResumePlayback(VideoHandle video) = 0;
  // From playing: playback goes on from position. From paused: stays paused at
  // position, and PlaybackStatus reads 0 until ResumePlayback. From stopped:
  // sets the position and stays stopped.
  virtual void SeekTo(VideoHandle video, MediaTime position) = 0;

  // Stops and releases every opened video. Safe to call twice.
  virtual void ReleaseAll() = 0;
};

}  // namespace vokabino
