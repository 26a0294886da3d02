#include "InvisJsonDecodeCache.h"

InvisJsonDecodeCache::SharedDecode InvisJsonDecodeCache::Decode(const std::string& text) {
  if (decoded_ && text == text_) return decoded_;
  // Forget the old pair first: if decoding throws (out of memory), no stale
  // decode is left paired with the new text.
  decoded_.reset();
  SharedDecode decoded = std::make_shared<const DecodedInvisibilityStates>(DecodeInvisibilityStates(text));
  text_.assign(text);
  decoded_ = decoded;
  return decoded;
}
