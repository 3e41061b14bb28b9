#include "platform/program_version.h"

const char* ProgramVersion() {
    return HARVIO_VERSION;
}
