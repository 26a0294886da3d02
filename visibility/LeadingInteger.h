#pragma once

#include <string>

// A decimal integer read from the start of a text the way std::stoi reads it:
// leading white space skipped, an optional sign, digits up to the first
// character that is not one; whatever follows is ignored.
struct LeadingInteger {
  enum class Status { Read, NoNumber, OutOfRange };
  Status status = Status::NoNumber;
  int value = 0;
};

// Never throws: "no number" and "beyond int" come back as a status.
LeadingInteger ReadLeadingInteger(const std::string& text);
