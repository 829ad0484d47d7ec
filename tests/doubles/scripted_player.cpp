#include "tests/doubles/scripted_player.h"

namespace vokabino {

void ScriptedPlayer::Advance(MediaTime ticks) {
  if (state == State::Playing) position += ticks;
}

bool ScriptedPlayer::InitPlayer() {
  Log("player.InitPlayer");
  return initResult;
}

VideoHandle ScriptedPlayer::OpenVideo(const Text& path) {
  Log("player.OpenVideo " + path);
  opened.push_back(path);
  return openResult ? 1 : 0;
}

void ScriptedPlayer::SetPictureRect(VideoHandle, int x, int y, int width, int height) {
  rect[0] = x;
  rect[1] = y;
  rect[2] = width;
  rect[3] = height;
}

bool ScriptedPlayer::PlayInWindow(VideoHandle video, std::uintptr_t nativeWindow) {
  Log("player.PlayInWindow");
  if (video != 1) return false;
  playWindow = nativeWindow;
  state = State::Playing;
  position = 0;
  return true;
}

MediaTime ScriptedPlayer::PlaybackStatus(VideoHandle) {
  ++statusReads;
  if (!statusScript.empty()) {
    const MediaTime value = statusScript.front();
    statusScript.pop_front();
    return value;
  }
  switch (state) {
    case State::Stopped: return 0;
    case State::Paused: return seekedWhilePaused ? 0 : -1;
    case State::Playing: break;
  }
  if (position >= length) {
    state = State::Stopped;
    position = 0;
    return 0;
  }
  return position > 0 ? position : 1;
}

MediaTime ScriptedPlayer::Position(VideoHandle) { return position; }

std::int32_t ScriptedPlayer::FrameCount(VideoHandle) { return frames; }

void ScriptedPlayer::PausePlayback(VideoHandle) {
  Log("player.Pause");
  ++pauses;
  if (state == State::Playing) state = State::Paused;
}

void ScriptedPlayer::ResumePlayback(VideoHandle) {
  Log("player.Resume");
  ++resumes;
  if (state == State::Paused) {
    state = State::Playing;
    seekedWhilePaused = false;
  }
}

void ScriptedPlayer::SeekTo(VideoHandle, MediaTime target) {
  Log("player.SeekTo " + std::to_string(target));
  seeks.push_back(target);
  position = target > 0 ? target : 0;
  if (state == State::Paused) seekedWhilePaused = true;
}

void ScriptedPlayer::ReleaseAll() {
  Log("player.ReleaseAll");
  ++releaseCount;
  state = State::Stopped;
}

}  // namespace vokabino
