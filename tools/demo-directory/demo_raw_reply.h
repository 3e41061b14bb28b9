#pragma once

#include <atomic>
#include <string>

#include "tools/demo-directory/demo_faults.h"
#include "tools/demo-directory/demo_wire.h"

// The misbehaving answers that no HTTP library writes, put on the connection's socket by hand:
// a kept-open connection, a trickle, 100 Continue, bare LF heads, lower-case names, zero-padded
// chunk sizes, a body cut short and a Location holding an ESC byte. `running` ends the long waits
// of the kept-open and trickle faults when the server stops. The socket is shut afterwards.
void SendRawReply(int socket, DemoFault fault, const DemoWireBody& wire, const std::string& location,
                  const DemoFaults& timing, const std::atomic<bool>& running);
