// What Net-SNMP needs from the system before it opens a socket.
#ifndef PMSNMP_SESSION_V3_PLATFORM_H
#define PMSNMP_SESSION_V3_PLATFORM_H

// Counted: each start is matched by one stop.
void pms_v3_sockets_start();
void pms_v3_sockets_stop();

#endif
