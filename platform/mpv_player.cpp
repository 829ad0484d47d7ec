#include "platform/mpv_player.h"

#include <mpv/client.h>
#include <malloc.h>
#include <sys/stat.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "text/codepage.h"

namespace vokabino {

namespace {

using Clock = std::chrono::steady_clock;

// How long opening a file may take before it counts as unopenable; network
// file systems and large containers can be slow to probe.
constexpr double kOpenTimeoutSeconds = 15.0;

enum class State { Stopped, Playing, Paused };

const char* EnvOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

MediaTime SecondsToTicks(double seconds) {
  return static_cast<MediaTime>(std::llround(seconds * kTicksPerSecond));
}

std::optional<double> DoubleProperty(mpv_handle* mpv, const char* name) {
  double value = 0;
  if (mpv_get_property(mpv, name, MPV_FORMAT_DOUBLE, &value) < 0) return std::nullopt;
  return value;
}

std::optional<std::int64_t> IntProperty(mpv_handle* mpv, const char* name) {
  std::int64_t value = 0;
  if (mpv_get_property(mpv, name, MPV_FORMAT_INT64, &value) < 0) return std::nullopt;
  return value;
}

bool FlagProperty(mpv_handle* mpv, const char* name) {
  int value = 0;
  return mpv_get_property(mpv, name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

void SetFlag(mpv_handle* mpv, const char* name, bool on) {
  int value = on ? 1 : 0;
  mpv_set_property(mpv, name, MPV_FORMAT_FLAG, &value);
}

// Options shared by the probe and the playback instance. mpv must never take
// the pointer or the keyboard from the window it is embedded in.
void SetCommonOptions(mpv_handle* mpv) {
  mpv_set_option_string(mpv, "config", "no");
  mpv_set_option_string(mpv, "terminal", "no");
  mpv_set_option_string(mpv, "input-default-bindings", "no");
  mpv_set_option_string(mpv, "input-vo-keyboard", "no");
  mpv_set_option_string(mpv, "input-cursor", "no");
  mpv_set_option_string(mpv, "osc", "no");
  mpv_set_option_string(mpv, "osd-level", "0");
  mpv_set_option_string(mpv, "sub-auto", "no");
  mpv_set_option_string(mpv, "keep-open", "yes");
  mpv_set_option_string(mpv, "hr-seek", "yes");
  mpv_set_option_string(mpv, "load-scripts", "no");
  mpv_set_option_string(mpv, "ytdl", "no");
  // A chosen directory or playlist must not turn into a list of other files.
  mpv_set_option_string(mpv, "load-unsafe-playlists", "no");
}

// Waits for the file to load; false when mpv gives up on it or time runs out.
bool WaitForFileLoaded(mpv_handle* mpv, double timeoutSeconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (Clock::now() < deadline) {
    const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
    mpv_event* event = mpv_wait_event(mpv, left > 0 ? left : 0);
    switch (event->event_id) {
      case MPV_EVENT_FILE_LOADED:
        return true;
      case MPV_EVENT_END_FILE:
      case MPV_EVENT_SHUTDOWN:
        return false;
      default:
        break;
    }
  }
  return false;
}

bool HasVideoTrack(mpv_handle* mpv) {
  const auto count = IntProperty(mpv, "track-list/count");
  for (std::int64_t i = 0; count && i < *count; ++i) {
    const std::string key = "track-list/" + std::to_string(i) + "/type";
    char* type = mpv_get_property_string(mpv, key.c_str());
    const bool video = type && std::string(type) == "video";
    mpv_free(type);
    if (video) return true;
  }
  return false;
}

// Frames from the container's estimate, or whole seconds times the frame rate.
std::int32_t ReadFrameCount(mpv_handle* mpv) {
  if (auto frames = IntProperty(mpv, "estimated-frame-count"); frames && *frames > 0)
    return static_cast<std::int32_t>(std::min<std::int64_t>(*frames, INT32_MAX));
  const auto duration = DoubleProperty(mpv, "duration");
  auto fps = DoubleProperty(mpv, "container-fps");
  if (!fps || *fps <= 0) fps = DoubleProperty(mpv, "estimated-vf-fps");
  if (!duration || !fps || *duration <= 0 || *fps <= 0) return 0;
  const double frames = std::floor(std::floor(*duration) * *fps);
  return frames >= INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(frames);
}

struct MpvDeleter {
  void operator()(mpv_handle* mpv) const { mpv_terminate_destroy(mpv); }
};
using MpvInstance = std::unique_ptr<mpv_handle, MpvDeleter>;

MpvInstance CreateInstance() {
  // mpv refuses to start under a locale whose decimal point is not ".".
  std::setlocale(LC_NUMERIC, "C");
  return MpvInstance(mpv_create());
}

bool LoadFile(mpv_handle* mpv, const std::string& path) {
  const char* command[] = {"loadfile", path.c_str(), "replace", nullptr};
  return mpv_command(mpv, command) >= 0;
}

}  // namespace

struct MpvPlayer::Video {
  std::string path;  // UTF-8, for mpv
  MpvInstance mpv;   // the playback instance, from PlayInWindow on
  State state = State::Stopped;
  // After a seek from paused the position reads 0 until playback resumes.
  bool seekedWhilePaused = false;
  // Reported as the position from a seek until mpv has restarted playback there.
  std::optional<MediaTime> seekTarget;
  std::int32_t frames = 0;
  int rect[4] = {0, 0, 0, 0};
};

MpvPlayer::MpvPlayer() = default;
MpvPlayer::~MpvPlayer() { ReleaseAll(); }

bool MpvPlayer::InitPlayer() {
  // Creating (and dropping) one instance proves the library is usable.
  MpvInstance probe = CreateInstance();
  initialised_ = probe != nullptr;
  return initialised_;
}

MpvPlayer::Video* MpvPlayer::Find(VideoHandle video) {
  if (video < 1 || static_cast<std::size_t>(video) > videos_.size()) return nullptr;
  return videos_[video - 1].get();
}

VideoHandle MpvPlayer::OpenVideo(const Text& path) {
  if (!initialised_ || path.empty()) return 0;
  const std::string file = Cp1252ToUtf8(path);
  struct stat info {};
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;

  MpvInstance probe = CreateInstance();
  if (!probe) return 0;
  SetCommonOptions(probe.get());
  mpv_set_option_string(probe.get(), "vo", "null");
  mpv_set_option_string(probe.get(), "ao", "null");
  mpv_set_option_string(probe.get(), "pause", "yes");
  if (mpv_initialize(probe.get()) < 0) return 0;
  if (!LoadFile(probe.get(), file) || !WaitForFileLoaded(probe.get(), kOpenTimeoutSeconds))
    return 0;
  if (!HasVideoTrack(probe.get())) return 0;

  auto video = std::make_unique<Video>();
  video->path = file;
  video->frames = ReadFrameCount(probe.get());
  videos_.push_back(std::move(video));
  // The probe's decoder threads leave their heaps behind; hand them back.
  probe.reset();
  malloc_trim(0);
  return static_cast<VideoHandle>(videos_.size());
}

void MpvPlayer::SetPictureRect(VideoHandle handle, int x, int y, int width, int height) {
  if (Video* video = Find(handle)) {
    video->rect[0] = x;
    video->rect[1] = y;
    video->rect[2] = width;
    video->rect[3] = height;
  }
}

bool MpvPlayer::PlayInWindow(VideoHandle handle, std::uintptr_t nativeWindow) {
  Video* video = Find(handle);
  if (!video || nativeWindow == 0) return false;
  video->mpv.reset();
  MpvInstance mpv = CreateInstance();
  if (!mpv) return false;
  SetCommonOptions(mpv.get());
  const std::string wid = std::to_string(static_cast<std::int64_t>(nativeWindow));
  mpv_set_option_string(mpv.get(), "wid", wid.c_str());
  mpv_set_option_string(mpv.get(), "vo", EnvOr("VOKABINO_MPV_VO", "gpu,x11"));
  if (const char* ao = std::getenv("VOKABINO_MPV_AO"); ao && *ao)
    mpv_set_option_string(mpv.get(), "ao", ao);
  mpv_set_option_string(mpv.get(), "force-window", "yes");
  if (const char* log = std::getenv("VOKABINO_MPV_LOG"); log && *log)
    mpv_set_option_string(mpv.get(), "log-file", log);
  if (mpv_initialize(mpv.get()) < 0) return false;
  if (!LoadFile(mpv.get(), video->path) || !WaitForFileLoaded(mpv.get(), kOpenTimeoutSeconds))
    return false;
  video->mpv = std::move(mpv);
  video->state = State::Playing;
  video->seekedWhilePaused = false;
  video->seekTarget.reset();
  return true;
}

namespace {

// Takes what mpv has reported so far without waiting.
void DrainEvents(mpv_handle* mpv, std::optional<MediaTime>& seekTarget) {
  for (;;) {
    mpv_event* event = mpv_wait_event(mpv, 0);
    if (event->event_id == MPV_EVENT_NONE) return;
    if (event->event_id == MPV_EVENT_PLAYBACK_RESTART) seekTarget.reset();
  }
}

void StopAndRewind(mpv_handle* mpv) {
  SetFlag(mpv, "pause", true);
  const char* command[] = {"seek", "0", "absolute+exact", nullptr};
  mpv_command(mpv, command);
}

}  // namespace

MediaTime MpvPlayer::PlaybackStatus(VideoHandle handle) {
  Video* video = Find(handle);
  if (!video || !video->mpv) return 0;
  DrainEvents(video->mpv.get(), video->seekTarget);
  switch (video->state) {
    case State::Stopped:
      return 0;
    case State::Paused:
      return video->seekedWhilePaused ? 0 : -1;
    case State::Playing:
      break;
  }
  if (FlagProperty(video->mpv.get(), "eof-reached")) {
    StopAndRewind(video->mpv.get());
    video->state = State::Stopped;
    video->seekTarget.reset();
    return 0;
  }
  MediaTime position = 0;
  if (video->seekTarget) {
    position = *video->seekTarget;
  } else {
    const auto seconds = DoubleProperty(video->mpv.get(), "time-pos");
    if (!seconds) return 0;
    position = SecondsToTicks(*seconds);
  }
  // Callers take any value above 0 as playing, so the very first instant of a
  // playing video must not read as stopped.
  return position > 0 ? position : 1;
}

MediaTime MpvPlayer::Position(VideoHandle handle) {
  Video* video = Find(handle);
  if (!video || !video->mpv) return 0;
  DrainEvents(video->mpv.get(), video->seekTarget);
  if (video->seekTarget) return *video->seekTarget;
  const auto seconds = DoubleProperty(video->mpv.get(), "time-pos");
  return seconds && *seconds > 0 ? SecondsToTicks(*seconds) : 0;
}

std::int32_t MpvPlayer::FrameCount(VideoHandle handle) {
  const Video* video = Find(handle);
  return video ? video->frames : 0;
}

void MpvPlayer::PausePlayback(VideoHandle handle) {
  Video* video = Find(handle);
  if (!video || !video->mpv || video->state != State::Playing) return;
  SetFlag(video->mpv.get(), "pause", true);
  video->state = State::Paused;
}

void MpvPlayer::ResumePlayback(VideoHandle handle) {
  Video* video = Find(handle);
  if (!video || !video->mpv || video->state != State::Paused) return;
  SetFlag(video->mpv.get(), "pause", false);
  video->state = State::Playing;
  video->seekedWhilePaused = false;
}

void MpvPlayer::SeekTo(VideoHandle handle, MediaTime position) {
  Video* video = Find(handle);
  if (!video || !video->mpv) return;
  // Before the start is the start; past the end, mpv stops at the end and the
  // next status reading rewinds.
  const MediaTime target = position > 0 ? position : 0;
  const std::string seconds = std::to_string(static_cast<double>(target) / kTicksPerSecond);
  const char* command[] = {"seek", seconds.c_str(), "absolute+exact", nullptr};
  if (mpv_command(video->mpv.get(), command) < 0) return;
  video->seekTarget = target;
  if (video->state == State::Paused) video->seekedWhilePaused = true;
}

void MpvPlayer::ReleaseAll() {
  videos_.clear();
}

}  // namespace vokabino
