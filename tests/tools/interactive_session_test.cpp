// corvane-sim used by hand: an interactive session on a terminal, and the
// same session with its input piped.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "GlimmerfadeVersion.h"
#include "corvane_sim_process.h"

#if defined(__linux__)
#include <poll.h>
#include <pty.h>
#include <termios.h>
#endif

namespace {

using sim_process::Result;

#if defined(__linux__)
// corvane-sim started with no arguments on a pseudo-terminal, as from a shell.
class TerminalSession {
 public:
  TerminalSession() {
    pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
      setenv("TERM", "xterm", 1);
      execl(CORVANE_SIM_TOOL, CORVANE_SIM_TOOL, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (pid > 0 && !finished) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (terminal >= 0) close(terminal);
  }
  bool Started() const { return pid > 0; }
  // Types once the program reads keys: with line editing, once it has set the
  // terminal to pass on single keys. Keys typed before that are taken by the
  // terminal's own line handling (a Ctrl-D there would be lost).
  void Type(const std::string& keys) {
#if defined(CORVANE_SIM_LINE_EDITING)
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    termios settings{};
    while (tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ICANON) &&
           std::chrono::steady_clock::now() < limit)
      ReadSome(10);
#endif
    ASSERT_EQ(write(terminal, keys.data(), keys.size()), ssize_t(keys.size()));
  }

  // Reads until the output after the mark holds the text; false after the time limit.
  bool WaitFor(const std::string& text, size_t mark, int seconds = 20) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (output.find(text, mark) == std::string::npos) {
      if (std::chrono::steady_clock::now() > limit || !ReadSome(100)) return false;
    }
    return true;
  }
  // Ends the input (Ctrl-D at the start of a line) and returns the exit
  // status; -1 when the program does not end.
  int Finish() {
    Type("\x04");
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadSome(100)) {
      if (std::chrono::steady_clock::now() > limit) return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    finished = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string output;

 private:
  // False at the end of the output (the program closed the terminal).
  bool ReadSome(int milliseconds) {
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0) return true;
    char buffer[4096];
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0) return false;
    output.append(buffer, static_cast<size_t>(got));
    return true;
  }

  pid_t pid = -1;
  int terminal = -1;
  bool finished = false;
};

// Two commands typed one after the other: each one's console lines are back
// before the next prompt, and the prompt names the current client.
TEST(InteractiveSession, TerminalSessionAnswersEachLineAtOnce) {
  TerminalSession session;
  ASSERT_TRUE(session.Started());
  ASSERT_TRUE(session.WaitFor("corvane-sim> ", 0)) << session.output;

  size_t mark = session.output.size();
  session.Type("sim client alice unavailable\r");
  ASSERT_TRUE(session.WaitFor("alice> ", mark)) << session.output;

  mark = session.output.size();
  session.Type("plugin load Glimmerfade\r");
  ASSERT_TRUE(
      session.WaitFor("[alice] Loaded plug-in Glimmerfade: Glimmerfade " GLIMMERFADE_VERSION_TEXT, mark))
      << session.output;
  const size_t loaded = session.output.find("[alice] Loaded plug-in", mark);
  ASSERT_TRUE(session.WaitFor("alice> ", loaded)) << session.output;
  EXPECT_NE(session.output.find("[alice] ] plugin load Glimmerfade", mark), std::string::npos)
      << session.output;

#if defined(CORVANE_SIM_LINE_EDITING)
  // With line editing, the up arrow brings the last line back.
  mark = session.output.size();
  session.Type("sim echo once more\r");
  ASSERT_TRUE(session.WaitFor("== once more ==", mark)) << session.output;
  mark = session.output.find("== once more ==", mark) + 1;
  ASSERT_TRUE(session.WaitFor("alice> ", mark)) << session.output;
  session.Type("\x1b[A\r");
  EXPECT_TRUE(session.WaitFor("== once more ==", mark)) << session.output;
  mark = session.output.find("== once more ==", mark) + 1;
  ASSERT_TRUE(session.WaitFor("alice> ", mark)) << session.output;
#endif
  EXPECT_EQ(session.Finish(), 0) << session.output;
}
#else
// Windows has no pseudo-terminal that a test can drive short of ConPTY; the
// piped session below runs the same reading loop.
TEST(InteractiveSession, TerminalSessionAnswersEachLineAtOnce) { GTEST_SKIP() << "no pseudo-terminal here"; }
#endif

// "-i" with piped input: prompts, console lines after each command, errors
// without line numbers, and nothing after "sim quit".
TEST(InteractiveSession, PipedSessionWithPrompts) {
  const Result run =
      sim_process::RunToolOnScript("-i <",
                                   "sim client alice unavailable\nplugin load Glimmerfade\nsim bogus\n"
                                   "sim quit\nsim echo never\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(run.Has("corvane-sim> alice> [alice] ] plugin load Glimmerfade\n")) << run.output;
  EXPECT_TRUE(run.Has("[alice] Loaded plug-in Glimmerfade: Glimmerfade " GLIMMERFADE_VERSION_TEXT
                      "\nalice> error: unknown sim "
                      "command \"bogus\"; try \"sim help\"\nalice> "))
      << run.output;
  EXPECT_FALSE(run.Has("never")) << run.output;
}

}  // namespace
