// The events the program signals with a sound. Each is one bit, so that the
// sound settings can hold the enabled ones as a mask. The engine only names
// the event (Session::playSound); the shell's player decides whether and how
// it sounds.
// Thread rule: constants only.
#pragma once

namespace ferrix::session::sound_event {

inline constexpr int kActionFailed = 1;
inline constexpr int kConnected = 2;
inline constexpr int kConnectionFailed = 4;
inline constexpr int kTransferSucceeded = 8;
inline constexpr int kTransferFailed = 16;

}  // namespace ferrix::session::sound_event
