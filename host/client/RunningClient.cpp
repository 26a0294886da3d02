#include "host/client/RunningClient.h"

namespace sim {
namespace {

// Thread-local: simulations on other threads run plug-in code of their own.
// Read only when a call goes wrong or a client forgives such calls.
thread_local Client::Impl* running = nullptr;

}  // namespace

Client::Impl* RunningClient() { return running; }

RunningClientScope::RunningClientScope(Client::Impl& client) : previous_(running) { running = &client; }

RunningClientScope::~RunningClientScope() { running = previous_; }

}  // namespace sim
