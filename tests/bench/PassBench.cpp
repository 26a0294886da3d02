// Benchmarks of the enforcement pass through the simulated host with the real
// plug-in code, and of its neighbours: the host's hook dispatch, the
// replication handlers and a whole simulated minute. After the runs it prints
// the figures the pass is held to, from the runs of this process: project pass
// / floor, reference / project pass, and heap allocations per pass.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <string>

#include "BenchWorlds.h"
#include "PassWorld.h"
#include "common/HeapCounter.h"

namespace {

std::unique_ptr<bench::PassWorld> passWorld;
std::unique_ptr<bench::ReplicationWorld> replicationWorld;
std::unique_ptr<bench::MinuteWorld> minuteWorld;

// Runs one operation per iteration and counts the heap allocations it makes.
template <class World, class Operation>
void Measure(benchmark::State& state, World& world, Operation operation, const char* counterName) {
  (world.*operation)();  // the first run after a change may fill what later runs reuse
  const long long before = heap_counter::Allocations();
  for (auto _ : state) (world.*operation)();
  const double runs = static_cast<double>(state.iterations());
  state.counters[counterName] = static_cast<double>(heap_counter::Allocations() - before) / runs;
}

void RegisterPass(const char* name, void (bench::PassWorld::*pass)()) {
  benchmark::RegisterBenchmark(
      name, [pass](benchmark::State& state) { Measure(state, *passWorld, pass, "allocs/pass"); });
}

void RegisterReplication(const char* name, void (bench::ReplicationWorld::*handler)()) {
  benchmark::RegisterBenchmark(name, [handler](benchmark::State& state) {
    if (!replicationWorld) replicationWorld = std::make_unique<bench::ReplicationWorld>();
    Measure(state, *replicationWorld, handler, "allocs/message");
  });
}

void SimulatedMinute(benchmark::State& state) {
  if (!minuteWorld) minuteWorld = std::make_unique<bench::MinuteWorld>();
  for (auto _ : state) minuteWorld->SimulatedMinute();
  const double minutes = static_cast<double>(state.iterations());
  state.counters["passes/s"] = benchmark::Counter(
      minutes * static_cast<double>(bench::MinuteWorld::PassesPerMinute()), benchmark::Counter::kIsRate);
  state.counters["x_realtime"] = benchmark::Counter(minutes * 60.0, benchmark::Counter::kIsRate);
}

// The console report, keeping each benchmark's best time per iteration (CPU
// time, nanoseconds) and its allocation counter for the summary.
class FigureKeeper : public benchmark::ConsoleReporter {
 public:
  struct Figure {
    double nanoseconds = 0;
    double allocations = 0;
  };
  std::map<std::string, Figure> figures;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double nanoseconds =
          run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      auto [entry, added] = figures.try_emplace(run.run_name.function_name, Figure{nanoseconds, 0});
      if (!added && nanoseconds >= entry->second.nanoseconds) continue;
      entry->second.nanoseconds = nanoseconds;
      for (const char* counter : {"allocs/pass", "allocs/message"}) {
        auto found = run.counters.find(counter);
        if (found != run.counters.end()) entry->second.allocations = found->second.value;
      }
    }
  }

  const Figure* Find(const std::string& name) const {
    auto found = figures.find(name);
    return found == figures.end() ? nullptr : &found->second;
  }
};

void PrintSummary(const FigureKeeper& kept) {
  const FigureKeeper::Figure* project = kept.Find("Pass/Project");
  const FigureKeeper::Figure* reference = kept.Find("Pass/Reference");
  const FigureKeeper::Figure* floor = kept.Find("Pass/Floor");
  const FigureKeeper::Figure* hooked = kept.Find("Hook/ModulePass");
  const FigureKeeper::Figure* dispatch = kept.Find("Hook/EmptyDispatch");
  std::printf("\nEnforcement pass, local match of %d qualifying players (best CPU time per pass):\n",
              bench::kPlayers);
  for (const auto& [name, figure] : kept.figures) {
    if (name.rfind("Pass/", 0) == 0 || name.rfind("Hook/", 0) == 0)
      std::printf("  %-20s %9.0f ns  %6.1f heap allocations\n", name.c_str(), figure.nanoseconds,
                  figure.allocations);
  }
  if (project && floor)
    std::printf("  project pass / floor:           %5.2f  (goal: at most 1.5)\n",
                project->nanoseconds / floor->nanoseconds);
  if (project && reference)
    std::printf("  reference / project pass:       %5.2f  (goal: at least 5)\n",
                reference->nanoseconds / project->nanoseconds);
  if (project && reference && floor) {
    std::printf(
        "  reference / floor:              %5.2f  (what reference / project pass can reach on this host)\n",
        reference->nanoseconds / floor->nanoseconds);
    std::printf("  own work beyond the host calls, reference / project pass: %5.1f\n",
                (reference->nanoseconds - floor->nanoseconds) / (project->nanoseconds - floor->nanoseconds));
  }
  if (hooked && dispatch && floor)
    std::printf("  module pass through the hook, less the dispatch, / floor: %5.2f\n",
                (hooked->nanoseconds - dispatch->nanoseconds) / floor->nanoseconds);
  if (project && floor)
    std::printf("  heap allocations per pass beyond the floor's: %.1f\n",
                project->allocations - floor->allocations);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  try {
    passWorld = std::make_unique<bench::PassWorld>();
    const std::string firstOutcome = passWorld->Outcome();
    RegisterPass("Pass/Project", &bench::PassWorld::ProjectPass);
    RegisterPass("Pass/Floor", &bench::PassWorld::FloorPass);
    RegisterPass("Pass/Reference", &bench::PassWorld::ReferencePass);
    RegisterPass("Hook/ModulePass", &bench::PassWorld::ModulePassThroughHook);
    RegisterPass("Hook/EmptyDispatch", &bench::PassWorld::EmptyHookDispatch);
    RegisterReplication("Replication/Send", &bench::ReplicationWorld::SendOne);
    RegisterReplication("Replication/Receive", &bench::ReplicationWorld::ReceiveOne);
    benchmark::RegisterBenchmark("Simulator/Minute_3clients_8cars", SimulatedMinute)
        ->Unit(benchmark::kMillisecond);

    FigureKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);

    // Every pass must have left the match as the first one did.
    const bool unchanged = passWorld->Outcome() == firstOutcome;
    if (!unchanged)
      std::fprintf(stderr, "The passes changed the outcome: %s\n", passWorld->Outcome().c_str());
    minuteWorld.reset();
    replicationWorld.reset();
    passWorld.reset();
    benchmark::Shutdown();
    return unchanged ? 0 : 1;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
}
