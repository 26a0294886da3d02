#pragma once

#include <memory>
#include <string>

#include "VisibilityTable.h"

namespace glimmerfade {

// The decode of the last "invis_json" text, kept for the next reader. A decode
// depends on nothing but the text, so while the text stays byte for byte the
// same the kept result is exactly what decoding again would give: the same
// table, or the same failure with the same message.
class VisibilityTableDecodeCache {
 public:
  using SharedDecode = std::shared_ptr<const DecodedVisibilityTable>;

  // The decode of text; the JSON library runs only when text differs from the
  // text of the kept decode. The caller shares the decode, so it stays valid
  // when a nested call decodes another text meanwhile.
  SharedDecode Decode(const std::string& text);

 private:
  std::string keptText;
  SharedDecode keptDecode;
};

}  // namespace glimmerfade
