// The lifetime guard through which the plug-in and its bridge hand the host
// every callback it keeps: a bound call reaches its owner while the owner
// lives, whatever copy of it the host makes, and does nothing afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/LifetimeGuard.h"

using namespace glimmerfade;

namespace {

struct Owner {
  std::vector<std::string>* calls;
  explicit Owner(std::vector<std::string>* log) : calls(log) {}
  LifetimeGuard<Owner> guard{*this};
};

TEST(LifetimeGuard, BoundCallsReachTheOwnerOnlyWhileItLives) {
  std::vector<std::string> calls;
  auto owner = std::make_unique<Owner>(&calls);
  // As the host keeps them: type-erased, copied, with arguments of its own.
  std::function<void(std::string, int)> kept =
      owner->guard.Bind([](Owner& self, const std::string& text, int number) {
        self.calls->push_back(text + std::to_string(number));
      });
  std::function<void(std::string, int)> copy = kept;

  kept("a", 1);
  copy("b", 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"a1", "b2"}));

  owner.reset();
  kept("c", 3);
  copy("d", 4);
  EXPECT_EQ(calls, (std::vector<std::string>{"a1", "b2"})) << "nothing reaches a destroyed owner";
}

// Each owner has a guard of its own: a call bound by one never reaches another,
// and a new owner at the old one's address is not reached by the old calls.
TEST(LifetimeGuard, CallsAreBoundToTheirOwnOwner) {
  std::vector<std::string> calls;
  std::function<void()> first;
  {
    Owner one(&calls);
    first = one.guard.Bind([](Owner& self) { self.calls->push_back("one"); });
  }
  Owner two(&calls);
  std::function<void()> second = two.guard.Bind([](Owner& self) { self.calls->push_back("two"); });
  first();
  second();
  EXPECT_EQ(calls, std::vector<std::string>{"two"});
}

// A bound call may destroy its own owner (a callback that unloads its plug-in):
// the call finishes, and later calls do nothing.
TEST(LifetimeGuard, ACallThatDestroysItsOwnerFinishes) {
  std::vector<std::string> calls;
  auto owner = std::make_unique<Owner>(&calls);
  std::function<void()> destroyOwner = owner->guard.Bind([&owner, &calls](Owner&) {
    owner.reset();
    calls.push_back("finished");
  });
  destroyOwner();
  destroyOwner();
  EXPECT_EQ(calls, std::vector<std::string>{"finished"});
}

}  // namespace
