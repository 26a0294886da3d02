#include "LeadingInteger.h"

#include <stdexcept>

LeadingInteger ReadLeadingInteger(const std::string& text) {
  LeadingInteger result;
  try {
    result.value = std::stoi(text);
    result.status = LeadingInteger::Status::Read;
  } catch (const std::invalid_argument&) {
    result.status = LeadingInteger::Status::NoNumber;
  } catch (const std::out_of_range&) {
    result.status = LeadingInteger::Status::OutOfRange;
  }
  return result;
}
