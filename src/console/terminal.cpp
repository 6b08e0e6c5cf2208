// The terminal backend: the real terminal behind the virtual console.
//
// It owns everything the game changes on the terminal (raw mode for keys, line
// mode with echo for the name, the alternate screen, the signal handlers) and
// undoes all of it in restoreTerminal. It is the keyboard's InputSource: every
// wait for a key first sends a frame of the renderer, so the player always
// sees the virtual screen as it stands. Signal handlers only write the
// signal's number to a self-pipe; the key reads wake up on it and do the work.
#include "console/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <string>

#include "console/keyboard.h"
#include "console/renderer.h"

namespace conio {
namespace {

// --- The terminal's state ---

int ttyFd = -1;                    // the terminal whose settings change: input's, else output's
bool settingsSaved = false;        // savedSettings holds what the terminal had
termios savedSettings;             // the settings as the game found them
termios rawSettings;               // for keys
termios lineSettings;              // for the name line
bool lineModeOn = false;           // which of the two is in force
int signalPipe[2] = {-1, -1};      // the handlers write signal numbers here
Renderer renderer;                 // what the terminal shows
volatile sig_atomic_t active = 0;  // the terminal is ours: modes, alternate screen, handlers

// The signals the game catches, and what was in place for them before.
constexpr int caughtSignals[] = {SIGINT,   SIGQUIT, SIGTERM, SIGHUP,  SIGTSTP, SIGCONT,
                                 SIGWINCH, SIGSEGV, SIGABRT, SIGBUS, SIGFPE};
struct sigaction previousActions[std::size(caughtSignals)];

constexpr char enterBytes[] = "\x1b[?1049h";  // the alternate screen (the terminal saves the cursor)
// Default colours, the cursor shown, the main screen back: the undo of
// enterBytes and of anything a frame may have left set.
constexpr char leaveBytes[] = "\x1b[m\x1b[?25h\x1b[?1049l";

// --- Low-level I/O, async-signal-safe ---

// Writes every byte through interrupted and partial writes; on a descriptor
// someone made non-blocking it waits until the terminal takes more. Any other
// error means the terminal is gone, and the rest is dropped.
void writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd out{fd, POLLOUT, 0};
      poll(&out, 1, 100);
    } else {
      return;
    }
  }
}

// --- Terminal settings ---

// Keys: each byte as it comes, no echo, no translation (Enter stays 13), no
// flow control; Ctrl-C, Ctrl-\ and Ctrl-Z still raise their signals. Output
// is not processed, so a line feed only moves down: the renderer relies on it.
termios makeRaw(termios t) {
  t.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_cflag |= CS8;
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN);
  t.c_lflag |= ISIG;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  return t;
}

// The name: a line edited and echoed by the terminal, Enter ending it. Output
// stays unprocessed, so a frame sent meanwhile still lands where it should.
termios makeLine(termios t) {
  t = makeRaw(t);
  t.c_iflag |= ICRNL;
  t.c_lflag |= ECHO | ICANON | IEXTEN;
  return t;
}

void applyMode() {
  if (settingsSaved) tcsetattr(ttyFd, TCSANOW, lineModeOn ? &lineSettings : &rawSettings);
}

void readSize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0)
    resizeRenderer(renderer, size.ws_row, size.ws_col);
  else
    resizeRenderer(renderer, screenHeight, screenWidth);  // not known: assume the screen fits
}

// --- Signals ---

void onSignal(int sig) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(sig);
  const ssize_t ignored = write(signalPipe[1], &number, 1);  // a full pipe has news enough
  (void)ignored;
  errno = savedErrno;
}

// A crash: give the terminal back, then let the signal do what it would have done.
void onCrash(int sig) {
  restoreTerminal();
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(sig, &fallback, nullptr);
  raise(sig);  // delivered when this handler returns
}

bool isCrash(int sig) { return sig == SIGSEGV || sig == SIGABRT || sig == SIGBUS || sig == SIGFPE; }

// A signal ignored when the game started (nohup, a shell without job control)
// stays ignored.
void installHandlers() {
  for (size_t i = 0; i < std::size(caughtSignals); ++i) {
    sigaction(caughtSignals[i], nullptr, &previousActions[i]);
    if (!(previousActions[i].sa_flags & SA_SIGINFO) && previousActions[i].sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = isCrash(caughtSignals[i]) ? onCrash : onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(caughtSignals[i], &action, nullptr);
  }
}

void restoreHandlers() {
  for (size_t i = 0; i < std::size(caughtSignals); ++i) sigaction(caughtSignals[i], &previousActions[i], nullptr);
}

// Non-blocking at both ends: a handler never waits, and draining never blocks.
void openSignalPipe() {
  if (signalPipe[0] >= 0 || pipe(signalPipe) != 0) return;
  for (int fd : signalPipe) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

// --- Taking the terminal and giving it back ---

// Everything the game changes on the terminal, made here and undone just
// below: the mode's settings, the signal handlers, the alternate screen. The
// next frame repaints in full.
void enterTerminal() {
  active = 1;
  applyMode();
  installHandlers();
  writeAll(STDOUT_FILENO, enterBytes, sizeof enterBytes - 1);
  readSize();
}

}  // namespace

// Safe in a signal handler: it only writes fixed bytes and sets fixed settings.
void restoreTerminal() {
  if (!active) return;
  active = 0;
  writeAll(STDOUT_FILENO, leaveBytes, sizeof leaveBytes - 1);
  if (settingsSaved) tcsetattr(ttyFd, TCSANOW, &savedSettings);
  restoreHandlers();
}

namespace {

// Ctrl-Z: the terminal goes back to the shell while the game is stopped, and
// comes back whole when it continues.
void suspend() {
  restoreTerminal();  // SIGTSTP's own action is back in place
  raise(SIGTSTP);     // stops here until continued
  enterTerminal();
}

// Acts on the signals the handlers reported; the ending ones throw.
void handleSignals() {
  unsigned char numbers[32];
  const ssize_t count = read(signalPipe[0], numbers, sizeof numbers);
  for (ssize_t i = 0; i < count; ++i) {
    const int sig = numbers[i];
    if (sig == SIGTSTP) {
      suspend();
    } else if (sig == SIGCONT) {  // stopped by someone else: the shell may have changed the settings
      applyMode();
      readSize();
    } else if (sig == SIGWINCH) {
      readSize();
    } else {
      throw GameInterrupted{128 + sig, nullptr};
    }
  }
}

// --- Input ---

long long nowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

enum class Wake { input, signal, timeout };

// Waits until input can be read (or has ended), a signal was reported, or the
// deadline (monotonic milliseconds; negative: none) has passed.
Wake waitFor(long long deadline) {
  for (;;) {
    const int timeout = deadline < 0 ? -1 : static_cast<int>(std::max(0LL, deadline - nowMs()));
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
    const int ready = poll(fds, 2, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Wake::input;  // the read that follows reports what is wrong
    if (fds[1].revents) return Wake::signal;
    if (fds[0].revents) return Wake::input;
    return Wake::timeout;
  }
}

bool retryable(int error) { return error == EINTR || error == EAGAIN || error == EWOULDBLOCK; }

bool readKeys(int timeoutMs, std::string& bytes) {
  const long long deadline = timeoutMs < 0 ? -1 : nowMs() + timeoutMs;
  for (;;) {
    if (timeoutMs != 0) presentFrame();  // the player is about to look at the screen
    const Wake wake = waitFor(deadline);
    if (wake == Wake::timeout) return true;
    if (wake == Wake::signal) {
      handleSignals();
      continue;
    }
    char buffer[256];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
      bytes.append(buffer, static_cast<size_t>(n));
      return true;
    }
    if (n < 0 && retryable(errno)) continue;
    return false;  // end of input, or an error that will not go away
  }
}

bool inputWaiting() {
  pollfd in{STDIN_FILENO, POLLIN, 0};
  return poll(&in, 1, 0) > 0 && (in.revents & POLLIN);
}

// Line mode shows the cursor where the line will be echoed; leaving it, the
// echo is not part of the virtual screen, so everything is drawn again.
void lineMode(bool on) {
  if (on) presentFrame();
  lineModeOn = on;
  if (active) applyMode();
  if (!on) invalidateRenderer(renderer);
}

// One byte at a time, so that nothing after the line is taken from the input.
int readLineByte() {
  for (;;) {
    if (waitFor(-1) == Wake::signal) {
      handleSignals();
      presentFrame();
      continue;
    }
    unsigned char byte = 0;
    const ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && retryable(errno)) continue;
    return -1;
  }
}

}  // namespace

bool stdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void startTerminal() {
  if (active) return;
  ttyFd = isatty(STDIN_FILENO) ? STDIN_FILENO : STDOUT_FILENO;
  settingsSaved = tcgetattr(ttyFd, &savedSettings) == 0;
  rawSettings = makeRaw(savedSettings);
  lineSettings = makeLine(savedSettings);
  lineModeOn = false;
  openSignalPipe();
  startRenderer(renderer, screenHeight, screenWidth,
                localeIsUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG")));
  enterTerminal();
  static const bool restoresAtExit = std::atexit(restoreTerminal) == 0;  // whatever way the program ends
  (void)restoresAtExit;
  setInputSource({readKeys, inputWaiting, lineMode, readLineByte});
}

void presentFrame() {
  if (!active) return;
  const std::string& frame = renderFrame(renderer);
  writeAll(STDOUT_FILENO, frame.data(), frame.size());
}

}  // namespace conio
