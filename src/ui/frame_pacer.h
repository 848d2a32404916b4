// When a window that moves all the time (a progress bar over 1,024 blocks) may paint again. What
// a paint costs differs a hundredfold between screens: little where the graphics card draws, a few
// milliseconds where the window system draws in software (an old PC, a remote session, a virtual
// display). Each paint is measured on the program's clock, and the next comes only once enough
// time has passed for painting to take at most one part in kPaintShare of the time; never more
// often than a screen shows frames. Portable, so that it is tested natively.
#pragma once

#include <algorithm>
#include <cstdint>

namespace trv::ui {

class FramePacer {
 public:
  static constexpr std::uint64_t kShortestFrameUs = 1'000'000 / 60;
  // Painting takes at most 1/32 of the time: about 3 %.
  static constexpr std::uint64_t kPaintShare = 32;

  // True once the window may paint again.
  bool Due(std::uint64_t now_us) const { return now_us >= next_us_; }
  // A paint ran from `start_us` to `end_us`.
  void Painted(std::uint64_t start_us, std::uint64_t end_us) {
    const std::uint64_t cost_us = end_us - start_us;
    next_us_ = end_us + std::max(kShortestFrameUs, cost_us * (kPaintShare - 1));
  }

 private:
  std::uint64_t next_us_ = 0;
};

}  // namespace trv::ui
