// The least time one whole successful programming run can take on the wire, from the protocol's
// byte counts and pauses and the simulated wire's byte time, so that a measured run can be set
// against it: anything above the bound is the cost of the software.
#pragma once

#include <cstdint>

namespace trv::bench {

// In seconds, for an adapter that makes each reply byte readable `latency_us` after it arrived.
// The loader answers every command and block before the next may go, so each round trip pays
// the latency: the two handshake bytes; per programming block a 4-byte command and 128 bytes out
// and two acknowledgements back; per verification block a 4-byte command out and the
// acknowledgement with the 128 bytes back. The pauses after each control-line change (two
// restarts of two changes each) and after each of the two baud changes come on top.
double WireBoundSeconds(std::uint64_t latency_us);

}  // namespace trv::bench
