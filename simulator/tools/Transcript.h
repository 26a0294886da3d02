#pragma once

// What corvane-sim prints: one transcript in the order things happened. The
// clients' console lines come out in the order the host wrote them, clients
// interleaved, and each line a command prints of its own (an error too) is
// placed when its first character is written, after every console line
// written before it, on any client. So a command's line follows the lines of
// the work it reports on, and a console line written after it follows it.

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "host/Simulation.h"

class Transcript {
 public:
  Transcript(sim::Simulation& simulation, std::ostream& destination);
  Transcript(const Transcript&) = delete;
  Transcript& operator=(const Transcript&) = delete;

  // Where commands print their own lines.
  std::ostream& Lines() { return lines; }
  // Prints every console line written since the last print, as "[CLIENT] LINE".
  void PrintConsoles();
  // Takes every console line written so far as printed.
  void SkipConsoles();
  // Prints text that is no line of the transcript (a prompt) at once, after
  // the console lines not printed yet; the next line still starts a line.
  void Prompt(const std::string& text);

 private:
  // Writes through to the destination, printing the consoles first whenever a line begins.
  class LineBuffer final : public std::streambuf {
   public:
    explicit LineBuffer(Transcript& owner) : transcript(owner) {}

   protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

   private:
    Transcript& transcript;
    bool lineBegins = true;
  };

  void Write(const std::string& text);

  sim::Simulation& sim;
  std::streambuf& destination;
  uint64_t nextUnprinted = 0;  // the place (sim::ConsoleLine::order) of the first line not printed
  LineBuffer buffer;
  std::ostream lines;
};
