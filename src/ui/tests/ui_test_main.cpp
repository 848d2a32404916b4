#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ui_test.h"

namespace ui_test {
namespace {

struct TestCase {
  const char* name;
  TestFunction function;
};

std::vector<TestCase>& Tests() {
  static std::vector<TestCase> tests;
  return tests;
}

int failures_in_test = 0;

std::vector<std::string>& Traces() {
  static std::vector<std::string> traces;
  return traces;
}

}  // namespace

Registration::Registration(const char* name, TestFunction function) {
  Tests().push_back({name, function});
}

void Fail(const char* file, int line, const std::string& what) {
  ++failures_in_test;
  std::printf("  %s:%d: expected %s\n", file, line, what.c_str());
  for (const std::string& trace : Traces()) {
    std::printf("    in case: %s\n", trace.c_str());
  }
}

ScopedTrace::ScopedTrace(std::string what) {
  Traces().push_back(std::move(what));
}

ScopedTrace::~ScopedTrace() {
  Traces().pop_back();
}

}  // namespace ui_test

// With an argument, runs only the tests whose names contain it.
int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  int passed = 0;
  int failed = 0;
  for (const auto& test : ui_test::Tests()) {
    if (std::string(test.name).find(only) == std::string::npos) {
      continue;
    }
    ui_test::failures_in_test = 0;
    std::printf("[ RUN  ] %s\n", test.name);
    std::fflush(stdout);
    test.function();
    const bool ok = ui_test::failures_in_test == 0;
    std::printf("[ %s ] %s\n", ok ? " OK " : "FAIL", test.name);
    (ok ? passed : failed) += 1;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
