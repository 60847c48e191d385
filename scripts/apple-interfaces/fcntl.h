// Darwin's open(2) adds O_EVTONLY (open(2) man page: "descriptor requested for event
// notifications only"); the rest of the header is the host's.
#pragma once
#include_next <fcntl.h>
#define O_EVTONLY 0x8000
