#pragma once

// An SQLite file system that writes each transaction's pages into the write-ahead log at once: the
// library writes a page's frame as a header and a page, two calls to the system each, and a
// record of the lead book writes three or four pages. The writes are gathered in memory and
// written as one when the transaction's last frame (the one that commits it) comes, or before
// anything else is done with the log, so that the log holds the same bytes at every moment
// another connection may read it, and a failed write still fails the commit.
// The name to open a connection with; registered on the first call.
const char* WalWriteBatchingVfs();
