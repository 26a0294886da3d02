#pragma once

#include <memory>
#include <utility>

namespace glimmerfade {

// Keeps the host's deferred calls from reaching an object that is gone.
//
// The host keeps what a plug-in hands it (on-change callbacks, event hooks,
// timers, game-thread tasks, and the bridge's message callback) for as long
// as it likes, often longer than the object that made it: nothing removes them
// when the plug-in object or its bridge is destroyed. So every such call is
// made through the owner's guard:
//
//   gameWrapper->SetTimeout(guard.Bind([](Owner& owner, GameWrapper*) { owner.Retry(); }), 2.0f);
//
// The owner holds the guard as a member (declared last, so it goes first).
// Bind(fn) returns a function object for the host that calls fn(owner, args...)
// while the owner lives and does nothing once it is gone. The function object
// holds a weak reference to the guard's token, never the owner itself.
//
// A call that began while the owner lived may finish even though it does not
// keep the owner alive: the owner is destroyed only from outside its own calls.
// The host never destroys a plug-in while one of its calls runs, on any thread
// (the simulated host defers an unload asked for during a plug-in call until
// every call has returned, and waits for the calls of its other threads).
//
// Calls come from several threads (hooks, timers and tasks on the game thread,
// the settings page on the render thread, on-change callbacks on the thread
// that set the variable). The guard is safe to use from all of them: Bind only
// reads it, and the token's reference counts are atomic. What a call does with
// the owner's state is the owner's to keep to one thread.
template <class Owner>
class LifetimeGuard {
 public:
  explicit LifetimeGuard(Owner& owner) : token(std::make_shared<Owner*>(&owner)) {}
  // A copy would guard the wrong object.
  LifetimeGuard(const LifetimeGuard&) = delete;
  LifetimeGuard& operator=(const LifetimeGuard&) = delete;

  template <class Function>
  auto Bind(Function function) const {
    return [alive = std::weak_ptr<Owner*>(token), function = std::move(function)](auto&&... arguments) {
      if (const std::shared_ptr<Owner*> owner = alive.lock())
        function(**owner, std::forward<decltype(arguments)>(arguments)...);
    };
  }

 private:
  std::shared_ptr<Owner*> token;
};

}  // namespace glimmerfade
