#pragma once

// A TCP port on 127.0.0.1 that was free a moment ago, for programs that must be told their port
// (a proxy). Servers of the tests themselves bind port 0 instead.
int FreeLoopbackPort();

// Whether something accepts connections on 127.0.0.1 at the port.
bool LoopbackPortAccepts(int port);

// Count of this process's open file descriptors, once it has held still for a moment: a test's
// own server thread may still be closing the far end of a connection the client just gave up.
int OpenDescriptorCount();
