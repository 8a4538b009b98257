#include "Operation.h"

#include <thread>

namespace rukmox::workflow {

void RunToEnd(Operation& operation) {
  while (const std::optional<Operation::Wait> wait = operation.Step())
    if (wait->count() > 0) std::this_thread::sleep_for(*wait);
}

}  // namespace rukmox::workflow
