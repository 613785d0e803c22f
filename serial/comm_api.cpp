#include "comm_api.h"

#include "queued_comm_api.h"

namespace qv {

namespace {
CommApi g_comm_api = RunsUnderWine() ? QueuedCommApi() : CommApi{};
}

const CommApi& Comm() { return g_comm_api; }

CommApi CommApiInstall(const CommApi& api) {
  CommApi previous = g_comm_api;
  g_comm_api = api;
  return previous;
}

}  // namespace qv
