// A small test runner for the Windows-only code, which runs under Wine: GoogleTest does not
// build with this toolchain's thread model. Tests register themselves; main runs them all.
#pragma once

#include <string>

namespace ui_test {

using TestFunction = void (*)();

struct Registration {
  Registration(const char* name, TestFunction function);
};

// Records a failed expectation against the running test.
void Fail(const char* file, int line, const std::string& what);

// Names the case a loop is on while it exists: a failure inside prints it too.
class ScopedTrace {
 public:
  explicit ScopedTrace(std::string what);
  ~ScopedTrace();
  ScopedTrace(const ScopedTrace&) = delete;
  ScopedTrace& operator=(const ScopedTrace&) = delete;
};

}  // namespace ui_test

#define UI_TEST(name)                                                   \
  static void name();                                                   \
  static const ui_test::Registration name##_registration(#name, &name); \
  static void name()

#define UI_TEST_JOIN_(a, b) a##b
#define UI_TEST_JOIN(a, b) UI_TEST_JOIN_(a, b)
#define UI_SCOPED_TRACE(what) const ui_test::ScopedTrace UI_TEST_JOIN(trace_, __LINE__)(what)

#define UI_EXPECT(condition)                         \
  do {                                               \
    if (!(condition)) {                              \
      ui_test::Fail(__FILE__, __LINE__, #condition); \
    }                                                \
  } while (false)

#define UI_EXPECT_EQ(expected, actual)                             \
  do {                                                             \
    if (!((expected) == (actual))) {                               \
      ui_test::Fail(__FILE__, __LINE__, #actual " == " #expected); \
    }                                                              \
  } while (false)
