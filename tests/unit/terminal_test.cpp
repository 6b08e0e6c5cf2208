// The terminal backend over a pseudo-terminal: game code runs in a child
// process whose terminal is the pty's slave side, and the test plays the
// terminal on the master side, typing keys, changing the window size and
// reading what the game draws. Every wait is bounded.
#include "console/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

#include "console/keyboard.h"
#include "console/screen.h"

namespace {

using namespace std::chrono_literals;

const std::string leaveBytes = "\x1b[m\x1b[?25h\x1b[?1049l";

class TerminalTest : public ::testing::Test {
 public:
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    setSize(25, 80);
    ASSERT_EQ(tcgetattr(slave, &original), 0);
  }

  void TearDown() override {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    close(master);
    close(slave);
  }

  void setSize(int rows, int columns) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(master, TIOCSWINSZ, &size);
  }

  // Runs game code in a child process with the pty as its controlling terminal
  // and standard output; standard input is the pty too unless `input` is given.
  // The child's exit status is what the code returns, or the status of the
  // GameInterrupted that ended it.
  void run(const std::function<int()>& game, int input = -1) {
    child = fork();
    ASSERT_GE(child, 0);
    if (child > 0) return;
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(input >= 0 ? input : slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    setenv("LANG", "C.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    int status = 0;
    try {
      conio::resetScreen();
      status = game();
    } catch (const conio::GameInterrupted& end) {
      status = end.status;
    }
    conio::restoreTerminal();
    _exit(status);
  }

  // Reads the terminal's output until `text` shows after what the previous
  // wait found, or five seconds pass.
  bool waitForOutput(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    for (;;) {
      const size_t at = output.find(text, seen);
      if (at != std::string::npos) {
        seen = at + text.size();
        return true;
      }
      if (std::chrono::steady_clock::now() > deadline || !readOutput(100)) return false;
    }
  }

  // Reads what output is there within timeoutMs; false once the slave side is gone.
  bool readOutput(int timeoutMs) {
    pollfd in{master, POLLIN, 0};
    if (poll(&in, 1, timeoutMs) <= 0) return true;
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) return false;
    output.append(buffer, static_cast<size_t>(n));
    return true;
  }

  // Waits until the terminal's settings satisfy `ready`, reading output meanwhile.
  bool waitForSettings(const std::function<bool(const termios&)>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    termios now{};
    while (tcgetattr(slave, &now) == 0 && !ready(now)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      readOutput(10);
    }
    return true;
  }

  void type(const std::string& keys) { ASSERT_EQ(write(master, keys.data(), keys.size()), ssize_t(keys.size())); }

  // The child's exit status (128 + signal when a signal killed it), reading
  // its output until then; -1 when it does not end within five seconds.
  int exitStatus() {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      readOutput(10);
    }
    child = -1;
    for (pollfd in{master, POLLIN, 0}; poll(&in, 1, 0) > 0 && (in.revents & POLLIN);) readOutput(0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // The settings are back as they were before the game.
  void expectSettingsRestored() {
    termios now{};
    ASSERT_EQ(tcgetattr(slave, &now), 0);
    EXPECT_EQ(now.c_iflag, original.c_iflag);
    EXPECT_EQ(now.c_oflag, original.c_oflag);
    EXPECT_EQ(now.c_cflag, original.c_cflag);
    EXPECT_EQ(now.c_lflag, original.c_lflag);
    EXPECT_EQ(now.c_cc[VMIN], original.c_cc[VMIN]);
    EXPECT_EQ(now.c_cc[VTIME], original.c_cc[VTIME]);
  }

  // Game code: shows `ready` and waits for keys until input ends or a signal.
  static int waitForever() {
    conio::startTerminal();
    conio::putText("ready");
    for (;;) conio::_getch();
  }

  int master = -1, slave = -1;
  termios original{};
  pid_t child = -1;
  std::string output;  // everything the game wrote
  size_t seen = 0;     // how far waitForOutput has looked
};

TEST_F(TerminalTest, KeysArriveDecodedAndTheTerminalComesBackAsItWas) {
  run([] {
    conio::startTerminal();
    const int waiting = conio::_kbhit();
    conio::gotoxy(3, 2);
    conio::putText("hello \x02");
    const int a = conio::_getch(), b = conio::_getch(), c = conio::_getch();
    return waiting == 0 && a == 224 && b == 77 && c == 'q' ? 0 : 99;
  });
  ASSERT_TRUE(waitForOutput("\x1b[?1049h"));  // the alternate screen first
  ASSERT_TRUE(waitForOutput("\x1b[2;3Hhello \u263B"));
  termios raw{};
  ASSERT_EQ(tcgetattr(slave, &raw), 0);
  EXPECT_FALSE(raw.c_lflag & (ECHO | ICANON));
  EXPECT_TRUE(raw.c_lflag & ISIG);  // Ctrl-C, Ctrl-\ and Ctrl-Z still signal
  EXPECT_FALSE(raw.c_iflag & (IXON | ICRNL));
  EXPECT_FALSE(raw.c_oflag & OPOST);
  type("\x1b[Cq");
  EXPECT_EQ(exitStatus(), 0);
  EXPECT_TRUE(output.ends_with(leaveBytes));
  expectSettingsRestored();
}

TEST_F(TerminalTest, TypedAheadKeysAreWaiting) {
  type("z");  // typed before the game starts
  run([] {
    conio::startTerminal();
    const int waiting = conio::_kbhit();
    return waiting == 1 && conio::_getch() == 'z' ? 0 : 99;
  });
  EXPECT_EQ(exitStatus(), 0);
}

TEST_F(TerminalTest, KeysFromAPipeWorkAndItsEndEndsTheGame) {
  int keys[2];
  ASSERT_EQ(pipe(keys), 0);
  const std::string typed = "Ann\n\x1b[Ca";
  ASSERT_EQ(write(keys[1], typed.data(), typed.size()), ssize_t(typed.size()));
  close(keys[1]);
  run(
      [] {
        conio::startTerminal();
        if (conio::readWord() != "Ann") return 97;
        if (conio::_getch() != 224 || conio::_getch() != 77 || conio::_getch() != 'a') return 98;
        conio::_getch();  // the input has ended: this throws
        return 99;
      },
      keys[0]);
  close(keys[0]);
  EXPECT_EQ(exitStatus(), 1);
  EXPECT_TRUE(output.ends_with(leaveBytes));
  expectSettingsRestored();  // the settings of the terminal on standard output
}

TEST_F(TerminalTest, EndingSignalsGiveTheirStatusAndRestoreTheTerminal) {
  struct Case {
    const char* name;
    std::function<void(TerminalTest&, pid_t)> send;
    int status;
  } cases[] = {
      {"Ctrl-C", [](TerminalTest& t, pid_t) { t.type("\x03"); }, 128 + SIGINT},
      {"Ctrl-\\", [](TerminalTest& t, pid_t) { t.type("\x1c"); }, 128 + SIGQUIT},
      {"SIGTERM", [](TerminalTest&, pid_t pid) { kill(pid, SIGTERM); }, 128 + SIGTERM},
      {"SIGHUP", [](TerminalTest&, pid_t pid) { kill(pid, SIGHUP); }, 128 + SIGHUP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    output.clear(), seen = 0;
    run(waitForever);
    ASSERT_TRUE(waitForOutput("ready"));
    c.send(*this, child);
    EXPECT_EQ(exitStatus(), c.status);
    EXPECT_TRUE(output.ends_with(leaveBytes));
    expectSettingsRestored();
  }
}

TEST_F(TerminalTest, ACrashRestoresTheTerminalAndStillCrashes) {
  run([] {
    conio::startTerminal();
    conio::putText("ready");
    conio::presentFrame();
    std::abort();
    return 0;
  });
  ASSERT_TRUE(waitForOutput("ready"));
  EXPECT_EQ(exitStatus(), 128 + SIGABRT);
  EXPECT_TRUE(output.ends_with(leaveBytes));
  expectSettingsRestored();
}

TEST_F(TerminalTest, TheNameLineIsEchoedAndNothingAfterItIsTaken) {
  run([] {
    conio::startTerminal();
    conio::putText("Name: ");
    const std::string name = conio::readWord();
    const int next = conio::_getch();
    return name == "Ann" && next == 'x' ? 0 : 99;
  });
  ASSERT_TRUE(waitForOutput("Name: "));
  ASSERT_TRUE(waitForSettings([](const termios& t) { return (t.c_lflag & ICANON) && (t.c_lflag & ECHO); }));
  type("  Ann Lee\nx");
  ASSERT_TRUE(waitForOutput("  Ann Lee"));             // the terminal's echo
  ASSERT_TRUE(waitForOutput("\x1b[2J\x1b[HName: "));  // then a repaint without it
  EXPECT_EQ(exitStatus(), 0);
}

TEST_F(TerminalTest, ASignalWhileTheNameIsTypedStillEndsTheGame) {
  run([] {
    conio::startTerminal();
    conio::readWord();
    return 99;
  });
  ASSERT_TRUE(waitForSettings([](const termios& t) { return (t.c_lflag & ICANON) != 0; }));
  type("Ann");  // no line end yet
  kill(child, SIGTERM);
  EXPECT_EQ(exitStatus(), 128 + SIGTERM);
  expectSettingsRestored();
}

TEST_F(TerminalTest, AResizeRepaintsWithTheNoticeAndWithoutItWhenGrown) {
  run([] {
    conio::startTerminal();
    conio::putText("ready");
    return conio::_getch() == 'q' ? 0 : 99;
  });
  ASSERT_TRUE(waitForOutput("ready"));
  setSize(20, 60);  // the kernel sends SIGWINCH
  ASSERT_TRUE(waitForOutput("\x1b[2J\x1b[20H\x1b[7mtextquest needs 80x25, this terminal is 60x20\x1b[m"));
  ASSERT_TRUE(waitForOutput("ready"));
  setSize(25, 80);
  ASSERT_TRUE(waitForOutput("\x1b[2J"));
  ASSERT_TRUE(waitForOutput("ready"));
  type("q");
  EXPECT_EQ(exitStatus(), 0);
  EXPECT_EQ(output.find("textquest needs", seen), std::string::npos);
}

}  // namespace
