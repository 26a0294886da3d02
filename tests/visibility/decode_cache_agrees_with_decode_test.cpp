// The kept decode of "invis_json" against decoding afresh: through sequences of
// texts chosen to look alike (same length, same table in other words, the same
// failure kind with another message, a value coming back), every answer of the
// cache must equal a fresh decode of the same text. And the cache is used: the
// module's passes over an unchanged table decode nothing, counted by the heap
// allocations a decode makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/HeapCounter.h"
#include "common/SimulationTest.h"
#include "plugin/Shroudweave.h"
#include "visibility/VisibilityTableDecodeCache.h"

using namespace glimmerfade;

namespace {

const std::string kAllTrue =
    R"({"invisDeque":[[true,true,true],[true,true,true],[true,true,true],[true,true,true],[true,true,true],)"
    R"([true,true,true],[true,true,true],[true,true,true],[true,true,true]]})";
// As kAllTrue, with entries 3 and 4 swapped in content: same length, other table.
const std::string kSwapped =
    R"({"invisDeque":[[true,true,true],[true,true,true],[true,true,true],[true,false,true],[true,true,false],)"
    R"([true,true,true],[true,true,true],[true,true,true],[true,true,true]]})";
const std::string kSwappedBack =
    R"({"invisDeque":[[true,true,true],[true,true,true],[true,true,true],[true,true,false],[true,false,true],)"
    R"([true,true,true],[true,true,true],[true,true,true],[true,true,true]]})";

void ExpectSameAsFreshDecode(const DecodedVisibilityTable& kept, const std::string& text) {
  const DecodedVisibilityTable fresh = DecodeVisibilityTable(text);
  EXPECT_EQ(kept.outcome, fresh.outcome);
  EXPECT_EQ(kept.table, fresh.table);
  EXPECT_EQ(kept.error, fresh.error);
}

TEST(DifferentialDecodeCache, EveryAnswerEqualsAFreshDecode) {
  const struct {
    const char* what;
    std::vector<std::string> texts;
  } sequences[] = {
      {"same length, other flags", {kAllTrue, kSwapped, kSwappedBack, kSwapped, kAllTrue}},
      {"same table, other text",
       {kAllTrue, " " + kAllTrue, kAllTrue + "\n", R"({"x":0,)" + kAllTrue.substr(1)}},
      {"a value coming back after others", {kSwapped, "", kSwapped, "{}", kSwapped, "[]", kSwapped}},
      {"failures of the same length and kind, other messages", {"[]", "{}", "7", "{", "[", "]", "[]"}},
      {"wrong shapes whose messages differ only in a type name",
       {R"({"invisDeque":[[1]]})", R"({"invisDeque":[["1"]]})", R"({"invisDeque":[[{}]]})",
        R"({"invisDeque":[[1]]})"}},
      {"short and long tables",
       {R"({"invisDeque":[]})", R"({"invisDeque":[[]]})", R"({"invisDeque":[[true]]})",
        R"({"invisDeque":[[true,true,true,true]]})", R"({"invisDeque":[]})"}},
      {"the empty text first, and repeated", {"", "", kAllTrue, kAllTrue, ""}},
  };
  for (const auto& sequence : sequences) {
    SCOPED_TRACE(sequence.what);
    VisibilityTableDecodeCache cache;
    for (size_t i = 0; i < sequence.texts.size(); ++i) {
      SCOPED_TRACE("text " + std::to_string(i) + ": " + sequence.texts[i]);
      // Asked twice: the second answer comes from what the first kept.
      ExpectSameAsFreshDecode(*cache.Decode(sequence.texts[i]), sequence.texts[i]);
      ExpectSameAsFreshDecode(*cache.Decode(sequence.texts[i]), sequence.texts[i]);
    }
  }
}

// A reader that holds a decode while a nested call decodes another text (the
// pass sets cars while a callback may run a pass of its own) still reads its
// own decode, whole.
TEST(DifferentialDecodeCache, AHeldDecodeOutlivesTheCachesNextDecode) {
  VisibilityTableDecodeCache cache;
  const VisibilityTableDecodeCache::SharedDecode held = cache.Decode(kSwapped);
  ExpectSameAsFreshDecode(*cache.Decode(kAllTrue), kAllTrue);
  ExpectSameAsFreshDecode(*cache.Decode("{}"), "{}");
  ExpectSameAsFreshDecode(*held, kSwapped);
  EXPECT_EQ(cache.Decode(kAllTrue), cache.Decode(kAllTrue)) << "an unchanged text shares the kept decode";
}

// The module's own passes, through the host's hook: once a pass has decoded a
// text, passes over the same text allocate less than one decode does.
class DecodeCacheInUse : public SimulationTest {
 protected:
  sim::Client& client = PluginClient("local");
  sim::Match& match = Sim().CreateMatch("arena", kAnyPlaylist);
};

TEST_F(DecodeCacheInUse, PassesOverAnUnchangedTableDecodeNothing) {
#if defined(_WIN32)
  GTEST_SKIP() << "a module's allocations go through its own operator new on Windows, which is not counted";
#endif
  for (int n = 1; n <= 8; ++n) match.AddPlayer({"Player" + std::to_string(n), n % 2, false, n});
  client.RunMatch(match);
  client.Control("Player1");
  ASSERT_TRUE(client.SetCvar(kEnabledCvar, "1"));
  ASSERT_TRUE(client.SetCvar(kInvisJsonCvar, kSwapped));
  Sim().RunPending();
  client.RaiseVehicleInput();  // decodes the new text

  const auto allocationsOf = [](const auto& work) {
    const long long before = heap_counter::Allocations();
    work();
    return heap_counter::Allocations() - before;
  };
  const long long decode = allocationsOf([] { DecodeVisibilityTable(kSwapped); });
  const long long passes = allocationsOf([&] {
    for (int i = 0; i < 4; ++i) client.RaiseVehicleInput();
  });
  EXPECT_LT(passes, decode) << "four passes over an unchanged table allocate as much as one decode";
}

}  // namespace
