#pragma once

// Values of "invis_json" that are JSON but not a visibility table, one for
// each way the decode can refuse a document: shared by the tests that draw
// random values.

#include <string>
#include <vector>

namespace invis_json_samples {

inline const std::vector<std::string> kWrongShapes = {
    "{}",
    "null",
    "[]",
    "7",
    "\"text\"",
    "true",
    "{\"invisDeque\":5}",
    "{\"invisDeque\":null}",
    "{\"invisDeque\":[5]}",
    "{\"invisDeque\":{\"a\":[true]}}",
    "{\"invisDeque\":[[true,1,true]]}",
    "{\"invisDeque\":[[true,true,true],\"x\"]}",
};

}  // namespace invis_json_samples
