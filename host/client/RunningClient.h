#pragma once

// The client whose plug-in code runs on this thread now. The host sets it
// around every call into plug-in code, so that what such a call does wrong is
// reported on the console of the client that made it.

#include "host/Simulation.h"

namespace sim {

// nullptr while no plug-in code runs (a call from a test or a tool).
Client::Impl* RunningClient();

// Makes a client the running one until the scope closes; scopes nest.
class RunningClientScope {
 public:
  explicit RunningClientScope(Client::Impl& client);
  ~RunningClientScope();
  RunningClientScope(const RunningClientScope&) = delete;
  RunningClientScope& operator=(const RunningClientScope&) = delete;

 private:
  Client::Impl* previous_;
};

}  // namespace sim
