#include "InvisJsonDecodeCache.h"

const DecodedInvisibilityStates& InvisJsonDecodeCache::Decode(const std::string& text) {
  if (holdsDecode_ && text == text_) return decoded_;
  // Forget the old pair first: if decoding throws (out of memory), no stale
  // decode is left paired with the new text.
  holdsDecode_ = false;
  decoded_ = DecodeInvisibilityStates(text);
  text_.assign(text);
  holdsDecode_ = true;
  return decoded_;
}
