#pragma once

// Which messages the simulated network loses. Each message between two
// clients is lost with the same chance, decided by a seeded hash of the
// message's number and the receiver's, so that a run loses the same messages
// every time and a model of the world can tell which ones without asking the
// simulator. Header only, for that reason.

#include <cstddef>
#include <cstdint>

namespace sim {

struct NetworkLoss {
  double percent = 0;  // 0 to 100
  uint64_t seed = 1;

  // Whether the message numbered `message` (the simulation's sends counted
  // from 0, in the order they were made) is lost on its way to the client
  // numbered `receiver` (clients in the order they were made, from 0).
  bool Drops(uint64_t message, size_t receiver) const {
    if (percent <= 0) return false;
    const uint64_t draw = Mix(seed ^ Mix(message * kGolden + receiver)) % (100 * kDrawsPerPercent);
    return static_cast<double>(draw) < percent * kDrawsPerPercent;
  }

 private:
  static constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;
  static constexpr uint64_t kDrawsPerPercent = 10000;
  // SplitMix64's finaliser.
  static uint64_t Mix(uint64_t x) {
    x += kGolden;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
  }
};

}  // namespace sim
