#include "platform/ProcessSetup.h"

#include <signal.h>

void PrepareProcess() {
    // A file-size limit or a closed pipe must fail the write, reported to the
    // user, rather than end the process with a half-written database.
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
}
