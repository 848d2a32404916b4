// Another driver (the simulated adapter, mostly) behind a hook that runs before every call with the
// call's name: a test makes a call fail in ways the simulator does not, by throwing, or acts at a
// chosen moment of the conversation.
#pragma once

#include <functional>
#include <memory>
#include <new>
#include <string_view>

#include "tests/support/forwarding_driver.h"

namespace trv::test {

class HookedDriver final : public ForwardingDriver {
 public:
  using ForwardingDriver::ForwardingDriver;

  std::function<void(std::string_view call)> before_call;

 private:
  StatusResult Forward(std::string_view call, const AdapterHandle*,
                       const std::function<StatusResult()>& pass_on) override {
    if (before_call) before_call(call);
    return pass_on();
  }
};

// A hook that throws, as a driver that runs out of memory would, from the `nth` call named `name`
// (counting from 1), once.
inline std::function<void(std::string_view)> ThrowAt(std::string_view name, int nth) {
  auto seen = std::make_shared<int>(0);
  return [=](std::string_view call) {
    if (call == name && ++*seen == nth) throw std::bad_alloc();
  };
}

}  // namespace trv::test
