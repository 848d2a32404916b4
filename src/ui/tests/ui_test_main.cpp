#include <cstdio>
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

}  // namespace

Registration::Registration(const char* name, TestFunction function) {
  Tests().push_back({name, function});
}

void Fail(const char* file, int line, const std::string& what) {
  ++failures_in_test;
  std::printf("  %s:%d: expected %s\n", file, line, what.c_str());
}

}  // namespace ui_test

int main() {
  int passed = 0;
  int failed = 0;
  for (const auto& test : ui_test::Tests()) {
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
