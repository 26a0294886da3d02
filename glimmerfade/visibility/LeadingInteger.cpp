#include "LeadingInteger.h"

#include <charconv>
#include <system_error>

namespace glimmerfade {

namespace {

// White space as the C locale's isspace sees it.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

LeadingInteger ReadLeadingInteger(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsSpace(text[start])) ++start;
  // std::from_chars reads a "-" but not a "+"; std::stoi reads either.
  if (start < text.size() && text[start] == '+') {
    ++start;
    if (start == text.size() || !IsDigit(text[start])) return {};
  }
  int value = 0;
  const std::from_chars_result read = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (read.ec == std::errc::invalid_argument) return {};
  if (read.ec == std::errc::result_out_of_range) return {LeadingInteger::Status::OutOfRange, 0};
  return {LeadingInteger::Status::Read, value};
}

}  // namespace glimmerfade
