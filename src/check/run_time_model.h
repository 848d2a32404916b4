// How long the wire makes a programming run and a read of the whole flash take, from the
// protocol's byte counts and pauses: the least time either can take, which the benchmark and the
// end-to-end timing set their measurements against, and what the check estimates a run at from a
// measured round trip.
#pragma once

#include <cstdint>

namespace trv {

// In seconds, for an adapter that makes each reply byte readable `latency_us` after it arrived.
// The loader answers every command and block before the next may go, so each round trip pays the
// latency: the two handshake bytes; per programming block a 4-byte command and 128 bytes out and
// two acknowledgements back; per verification block a 4-byte command out and the acknowledgement
// with the 128 bytes back. The pauses after each control-line change (two restarts of two changes
// each) and after each of the two baud changes come on top.
double ProgrammingRunSeconds(std::uint64_t latency_us);
// The same for a read of the whole flash: the restarts, baud changes and handshake of a run, and
// the verification pass's reads alone.
double FlashReadSeconds(std::uint64_t latency_us);

}  // namespace trv
