#include "VisibilityTableDecodeCache.h"

namespace glimmerfade {

VisibilityTableDecodeCache::SharedDecode VisibilityTableDecodeCache::Decode(const std::string& text) {
  if (keptDecode && text == keptText) return keptDecode;
  // Forget the old pair first: if decoding throws (out of memory), no stale
  // decode is left paired with the new text.
  keptDecode.reset();
  SharedDecode decoded = std::make_shared<const DecodedVisibilityTable>(DecodeVisibilityTable(text));
  keptText.assign(text);
  keptDecode = decoded;
  return decoded;
}

}  // namespace glimmerfade
