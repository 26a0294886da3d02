#pragma once

#include <string_view>

namespace glimmerfade {

// A decimal integer read from the start of a text the way std::stoi reads it:
// leading white space skipped, one optional "+" or "-" that a digit must
// follow, digits up to the first character that is not one; whatever follows
// is ignored.
struct LeadingInteger {
  enum class Status { Read, NoNumber, OutOfRange };
  Status status = Status::NoNumber;
  int value = 0;
};

// Throws nothing and allocates nothing: "no number" and "beyond int" come back
// as a status.
LeadingInteger ReadLeadingInteger(std::string_view text);

}  // namespace glimmerfade
