// The window's handlers run nested: a programming run pumps messages, and a message it pumps may
// start another handler. Whatever must not happen under a running handler (recovering from a
// failure, destroying the closed window, ending the message loop) is held back here until the
// outermost handler has returned.
#pragma once

namespace trv::ui {

class HandlerNesting {
 public:
  // The window's side of the work held back.
  class Owner {
   public:
    // Closes the adapter, hands the window back to the operator and reports the failure.
    virtual void RecoverFromFailure() noexcept = 0;
    // Has the closed window destroyed once nothing of it is running any more.
    virtual void DestroyClosedWindow() noexcept = 0;

   protected:
    ~Owner() = default;
  };

  // Counts one handler for as long as it exists; when the outermost one ends, the work it held
  // back is done.
  class Scope {
   public:
    explicit Scope(HandlerNesting& nesting) : nesting_(nesting) { ++nesting_.depth_; }
    ~Scope() {
      if (--nesting_.depth_ == 0) {
        nesting_.Finish();
      }
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    HandlerNesting& nesting_;
  };

  explicit HandlerNesting(Owner& owner) : owner_(owner) {}
  HandlerNesting(const HandlerNesting&) = delete;
  HandlerNesting& operator=(const HandlerNesting&) = delete;

  bool HandlerRunning() const { return depth_ > 0; }
  bool closed() const { return closed_; }
  // True once the window is closing or a handler failed: the window's operations do nothing and
  // pumping reports the window gone, so the operation in progress stops.
  bool Stopped() const { return closed_ || failed_; }

  // The window starts closing; from now on it is stopped for good.
  void MarkClosed() { closed_ = true; }
  // A handler ended in an exception, which must not cross the system's code on its way out. The
  // operation stops: at once if no handler is running, otherwise once the outermost one has
  // unwound, since it may still be using the adapter.
  void Fail();
  // A quit request met while pumping, kept until the handler has unwound, so that the program
  // still ends afterwards.
  void HoldQuit(int code);
  // The code of a quit request held back, else 0.
  int held_quit_code() const { return quit_requested_ ? quit_code_ : 0; }
  // Does the work held back, unless a handler is still running.
  void FinishIfIdle() noexcept;

 private:
  void Finish() noexcept;

  Owner& owner_;
  int depth_ = 0;
  // Set from the moment the window starts closing.
  bool closed_ = false;
  // Set from a handler's failure until the window has been handed back.
  bool failed_ = false;
  bool quit_requested_ = false;
  int quit_code_ = 0;
};

}  // namespace trv::ui
