#pragma once
// The system's own numbers for its windows, widgets and timers.
namespace vokabino {

inline constexpr int kPlaybackWindow = 0;
inline constexpr int kOverlayWindow = 1;
inline constexpr int kVideoCanvas = 2;
inline constexpr int kOverlayCanvas = 3;
inline constexpr int kProgressWindow = 4;
inline constexpr int kProgressCanvas = 5;
inline constexpr int kInputCanvas = 6;
inline constexpr int kSubtitleDialog = 7;
inline constexpr int kDialogLabel = 11;
inline constexpr int kDialogPathField = 12;
inline constexpr int kDialogBrowseButton = 13;
inline constexpr int kDialogConfirmButton = 14;
inline constexpr int kDialogCancelButton = 15;

inline constexpr int kProgressTimer = 0;  // redraws the progress strip
inline constexpr int kCueTimer = 1;       // the cue scheduler's tick
inline constexpr int kTimerIntervalMs = 100;

inline constexpr int kSpaceKey = 32;

}  // namespace vokabino
