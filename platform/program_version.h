#pragma once

// The program's version, "MAJOR.MINOR" as the build names it.
const char* ProgramVersion();
