#include "session/v3_platform.h"

void pms_v3_sockets_start() {}
void pms_v3_sockets_stop() {}
