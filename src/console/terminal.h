// The real terminal behind the virtual console: raw and line modes, the
// alternate screen, signals, resizes, and the frames that keep the terminal
// showing what the virtual screen holds.
//
// Everything it changes on the terminal is undone by restoreTerminal, which is
// idempotent and safe to call from a signal handler.
#pragma once

namespace conio {

// Whether standard output is a terminal the game can draw on.
bool stdoutIsTerminal();

// Takes over the terminal: saves its settings, enters raw mode and the
// alternate screen, installs the signal handlers, and installs the terminal as
// the keyboard's InputSource (keyboard.h). Every blocking read sends a frame first.
void startTerminal();

// Sends a frame for what changed on the virtual screen since the last one.
void presentFrame();

// Leaves the terminal exactly as startTerminal found it: settings, cursor
// visible, main screen. Safe to call more than once and from a signal handler.
void restoreTerminal();

}  // namespace conio
