#!/bin/sh
# Writes help2man's include file for the pmsnmp manual page: the examples
# kept as lines, the exit statuses, and every subcommand's own --help.
#   tools/man_include.sh TOOL > pmsnmp.h2m
set -eu
tool=$1
cat <<'END'
[=EXAMPLES]
.nf
pmsnmp status 192.0.2.7
pmsnmp status \-c private \-\-json printer.example
pmsnmp status \-\-summary 192.0.2.7 192.0.2.8 192.0.2.9
pmsnmp discover \-\-printers
pmsnmp get \-v 2c 192.0.2.7 1.3.6.1.2.1.1.5.0 1.3.6.1.2.1.43.10.2.1.4.1.1
pmsnmp walk 192.0.2.7 1.3.6.1.2.1.43.11.1.1
pmsnmp set \-c private 192.0.2.7:1161 1.3.6.1.4.1.8072.9999.9999.1 0 42
.fi
[EXIT STATUS]
0 success; 1 the agent or the network failed, or a get was answered with an
error status; 2 a wrong command line.
.PP
A get whose answer carries an error status (with SNMPv1, noSuchName for an
object the agent lacks) prints the reason and the failed object on the error
stream, as snmpget does, then asks again without that object and prints the
rest. \fB\-C f\fR stops at the first error instead.
[SEE ALSO]
snmpget(1), snmpwalk(1), snmpset(1)
[SUBCOMMANDS]
END
for command in get walk set status discover; do
    printf '.SS "pmsnmp %s"\n.nf\n' "$command"
    # Without the shared footer; roff reads a backslash as an escape and a
    # leading dot as a request.
    "$tool" "$command" --help | sed -e '/^Examples:/,$d' -e 's/\\/\\e/g' -e 's/^[.'\'']/\\\&&/'
    printf '.fi\n'
done
