#include "Transcript.h"

#include <cstring>
#include <vector>

Transcript::Transcript(sim::Simulation& simulation, std::ostream& destinationStream)
    : sim(simulation), destination(*destinationStream.rdbuf()), buffer(*this), lines(&buffer) {}

void Transcript::PrintConsoles() {
  for (const sim::ConsoleLine& line : sim.ConsoleLinesFrom(nextUnprinted)) {
    // An entry may hold line feeds; every printed line carries the client's name.
    const std::string prefix = "[" + line.client->Name() + "] ";
    for (size_t start = 0;;) {
      const size_t end = line.text.find('\n', start);
      Write(prefix + line.text.substr(start, end - start) + "\n");
      if (end == std::string::npos) break;
      start = end + 1;
    }
    nextUnprinted = line.order + 1;
  }
}

void Transcript::SkipConsoles() {
  const std::vector<sim::ConsoleLine> unprinted = sim.ConsoleLinesFrom(nextUnprinted);
  if (!unprinted.empty()) nextUnprinted = unprinted.back().order + 1;
}

void Transcript::Prompt(const std::string& text) {
  PrintConsoles();
  Write(text);
  destination.pubsync();
}

void Transcript::Write(const std::string& text) {
  destination.sputn(text.data(), static_cast<std::streamsize>(text.size()));
}

Transcript::LineBuffer::int_type Transcript::LineBuffer::overflow(int_type character) {
  if (traits_type::eq_int_type(character, traits_type::eof())) return traits_type::not_eof(character);
  const char written = traits_type::to_char_type(character);
  return xsputn(&written, 1) == 1 ? character : traits_type::eof();
}

std::streamsize Transcript::LineBuffer::xsputn(const char* text, std::streamsize count) {
  std::streamsize done = 0;
  while (done < count) {
    if (lineBegins) transcript.PrintConsoles();
    const auto rest = static_cast<size_t>(count - done);
    const void* lineEnd = std::memchr(text + done, '\n', rest);
    const std::streamsize piece =
        lineEnd ? static_cast<const char*>(lineEnd) - (text + done) + 1 : static_cast<std::streamsize>(rest);
    const std::streamsize written = transcript.destination.sputn(text + done, piece);
    done += written;
    if (written != piece) break;
    lineBegins = lineEnd != nullptr;
  }
  return done;
}

int Transcript::LineBuffer::sync() { return transcript.destination.pubsync(); }
